// The subnet sweep against the recording platform: which blocks a sweep covers, what one
// block's sweep asks and merges, the stop test, and the threads that run it.

#include "NetBiosTestdaten.h"
#include "common/ResConst.h"
#include "net/IPv4Adresse.h"
#include "net/ScannerBloecke.h"
#include "net/ScannerDurchlauf.h"
#include "net/TScannerThread.h"
#include "support/TestUmgebung.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>

#include "net/ScannerDurchlauf.h"

// The current environment's fake network and run-time values, as a sweep takes them.
inline TScannerUmgebung ScannerUmgebung() {
    return {AktuellerFake(), AktuellerFake(), Laufzeit()};
}

namespace {
const QString EigeneMac = QStringLiteral("02-00-00-00-00-01");
const QString ZweiteEigeneMac = QStringLiteral("02-00-00-00-00-02");

quint32 A(const QString& text) {
    return *IPv4AusText(text);
}

TBroadcastRec Netz(const QString& broadcast, const QString& mac = EigeneMac) {
    return {QStringLiteral("x"), QStringLiteral("x"), broadcast, mac};
}

QStringList Bloecke(const QString& vorne, int von = 0, int bis = 255) {
    QStringList l;
    for (int n = von; n <= bis; ++n)
        l << vorne + QString::number(n) + '.';
    return l;
}

THostListRec Eintrag(const QString& pc, const QString& user, const QString& ip, const QString& mac,
                     bool senderS, TStatus status) {
    THostListRec h;
    h.PC = pc;
    h.User = user;
    h.IP = ip;
    h.MAC = mac;
    h.SenderS = senderS;
    h.Status = status;
    return h;
}

// Addresses of the fake's record that the sweep asked, by kind.
QStringList Aufrufe(TFakePlattform& fake, const QString& art) {
    QStringList l;
    for (const QString& a : fake.NetzAufrufe())
        if (a.startsWith(art + ' '))
            l << a.mid(art.size() + 1);
    return l;
}
} // namespace

Q_DECLARE_METATYPE(TBroadcastList)

class TstScanner : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestUmgebung> FFake;
    std::unique_ptr<QTemporaryDir> FOrdner;
    std::unique_ptr<THostList> FListe;

    TFakePlattform& Fake() { return FFake->Fake(); }
    void Antwortet(const QString& ip, const QString& mac) {
        Fake().FAntwortende.insert(A(ip));
        if (!mac.isEmpty())
            Fake().FHardware.insert(A(ip), QByteArray::fromHex(QString(mac).remove('-').toLatin1()));
    }

private slots:
    void init() {
        FFake = std::make_unique<TTestUmgebung>();
        FOrdner = std::make_unique<QTemporaryDir>();
        FListe = std::make_unique<THostList>(FOrdner->filePath("Hostliste.txt"), AktuellerFake(),
                                             [] { return 0u; });
        Laufzeit().StopS = false;
        Laufzeit().ScannerS = true;
        Laufzeit().ScannerAnzahl = 0;
        Laufzeit().SetzeEigeneMAC(EigeneMac);
    }
    void cleanup() {
        FListe.reset();
        FOrdner.reset();
        FFake.reset();
    }

    void bloecke_data() {
        QTest::addColumn<TBroadcastList>("netze");
        QTest::addColumn<QStringList>("teile");
        QTest::newRow("/24") << TBroadcastList{Netz("192.168.1.255")} << QStringList{"192.168.1."};
        QTest::newRow("/16: 256 blocks") << TBroadcastList{Netz("10.1.255.255")} << Bloecke("10.1.");
        QTest::newRow("/8: only the last /16")
            << TBroadcastList{Netz("10.255.255.255")} << Bloecke("10.255.");
        QTest::newRow("/23: only the upper /24")
            << TBroadcastList{Netz("192.168.1.255")} << QStringList{"192.168.1."};
        QTest::newRow("/25: the whole /24")
            << TBroadcastList{Netz("192.168.1.127")} << QStringList{"192.168.1."};
        QTest::newRow("two interfaces, one network")
            << TBroadcastList{Netz("192.168.1.255"), Netz("192.168.1.255", ZweiteEigeneMac)}
            << QStringList{"192.168.1."};
        QTest::newRow("two networks in order") << TBroadcastList{Netz("192.168.2.255"), Netz("10.0.0.255")}
                                               << QStringList{"192.168.2.", "10.0.0."};
        QTest::newRow("a /24 inside a swept /16 once")
            << TBroadcastList{Netz("10.1.255.255"), Netz("10.1.5.255")} << Bloecke("10.1.");
        QTest::newRow("no address") << TBroadcastList{Netz(""), Netz("10.0.0.256"), Netz("10.0.0.255")}
                                    << QStringList{"10.0.0."};
    }
    void bloecke() {
        QFETCH(TBroadcastList, netze);
        QFETCH(QStringList, teile);
        QCOMPARE(ScannerIPTeile(netze), teile);
    }

    // Every address in order with the 1 ms wait; the own machine and hosts without a
    // hardware address are skipped; names from the reverse lookup, else NetBIOS.
    void sweepEinesBlocks() {
        Antwortet("10.0.0.1", EigeneMac);
        Antwortet("10.0.0.2", "");              // answers, but no hardware address
        Antwortet("10.0.0.3", ZweiteEigeneMac); // the machine's second interface
        Antwortet("10.0.0.5", "00-1A-2B-3C-4D-05");
        Antwortet("10.0.0.6", "00-1A-2B-3C-4D-06");
        Antwortet("10.0.0.7", "00-1A-2B-3C-4D-07");
        Antwortet("10.0.0.9", "00-1A-2B-3C-4D-09");
        Fake().FRueckwaertsNamen.insert(A("10.0.0.5"), " pc5.heim.lan ");
        Fake().FNetBiosAntworten.insert(A("10.0.0.5"),
                                        NetBiosAntwortBauen(0, {{"ANDERS", 0x00}, {"BERT", 0x03}}));
        Fake().FNetBiosAntworten.insert(
            A("10.0.0.6"), NetBiosAntwortBauen(0, {{"ws6", 0x00}, {"PC6$", 0x03}, {"ANNA", 0x03}}));
        Fake().FNetBiosAntworten.insert(A("10.0.0.7"),
                                        NetBiosAntwortBauen(0, {{"PC7", 0x00}, {" PC7$ ", 0x03}}));
        Fake().FNetBiosAntworten.insert(A("10.0.0.9"), "garbage");

        const TScannerBericht b = ScannerDurchlauf(ScannerUmgebung(), "10.0.0.", *FListe,
                                                   {EigeneMac, ZweiteEigeneMac}, [] { return false; });

        QCOMPARE(b.Gefragt, 256);
        QCOMPARE(b.Geantwortet, 7);
        QCOMPARE(b.Uebergeben, 4);
        QVERIFY(!b.AngehaltenS);
        const QStringList gefragt = Aufrufe(Fake(), "Fragen");
        QCOMPARE(gefragt.size(), 256);
        for (int n = 0; n < 256; ++n)
            QCOMPARE(gefragt[n], QStringLiteral("10.0.0.%1 1").arg(n));
        // One NetBIOS round for the whole block, for the hosts that are merged only.
        QCOMPARE(Aufrufe(Fake(), "NetBios"), QStringList{"10.0.0.5,10.0.0.6,10.0.0.7,10.0.0.9"});

        const THostListListe l = FListe->GetListe();
        QCOMPARE(l.size(), 4);
        QCOMPARE(l[0],
                 Eintrag("PC5.HEIM.LAN", "BERT", "10.0.0.5", "00-1A-2B-3C-4D-05", false, TStatus::sOnline));
        QCOMPARE(l[1], Eintrag("WS6", "ANNA", "10.0.0.6", "00-1A-2B-3C-4D-06", false, TStatus::sOnline));
        QCOMPARE(l[2], Eintrag("PC7", "PC7$", "10.0.0.7", "00-1A-2B-3C-4D-07", false, TStatus::sOnline));
        QCOMPARE(l[3],
                 Eintrag("Unbekannt", "Unbekannt", "10.0.0.9", "00-1A-2B-3C-4D-09", false, TStatus::sOnline));
    }

    // A slow resolver costs a block its longest lookup, not the sum of them.
    void langsameNamen() {
        for (int n = 10; n < 50; ++n)
            Antwortet(QStringLiteral("10.0.0.%1").arg(n), QStringLiteral("00-00-00-00-00-%1").arg(n));
        Fake().FRueckwaertsVerzoegerungMs = 100;
        QElapsedTimer uhr;
        uhr.start();
        ScannerDurchlauf(ScannerUmgebung(), "10.0.0.", *FListe, {}, [] { return false; });
        QCOMPARE(FListe->Count(), 40);
        QCOMPARE(Aufrufe(Fake(), "Rueckwaerts").size(), 40);
        QVERIFY2(uhr.elapsed() < 2000, qPrintable(QString::number(uhr.elapsed()))); // one after another: 4 s

        // A resolver that never answers in time does not hold up a stop.
        Fake().FRueckwaertsVerzoegerungMs = 10000;
        uhr.restart();
        const TScannerBericht b = ScannerDurchlauf(ScannerUmgebung(), "10.0.0.", *FListe, {},
                                                   [&uhr] { return uhr.elapsed() > 300; });
        QVERIFY(b.AngehaltenS);
        QCOMPARE(b.Uebergeben, 0);
        QVERIFY2(uhr.elapsed() < 600, qPrintable(QString::number(uhr.elapsed())));
    }

    // A peer's own report outranks the sweep; a known host without a peer gets its address,
    // its status and its found names, but keeps a user the sweep did not find.
    void zusammenfuehren() {
        FListe->Add(Eintrag("peer", "bob", "10.0.0.20", "00-00-00-00-00-20", true, TStatus::sOnline), true);
        THostListRec peer = FListe->Get(0);
        peer.SenderS = true;
        FListe->Put(0, peer);
        FListe->Add(Eintrag("alt", "carl", "10.0.0.99", "00-00-00-00-00-21", false, TStatus::sOffline), true);
        const THostListRec vorherPeer = FListe->Get(0);
        Antwortet("10.0.0.20", "00-00-00-00-00-20");
        Antwortet("10.0.0.21", "00-00-00-00-00-21");
        Fake().FRueckwaertsNamen.insert(A("10.0.0.20"), "gescannt");
        Fake().FRueckwaertsNamen.insert(A("10.0.0.21"), "neu");

        ScannerDurchlauf(ScannerUmgebung(), "10.0.0.", *FListe, {EigeneMac}, [] { return false; });

        QCOMPARE(FListe->Count(), 2);
        QCOMPARE(FListe->Get(0), vorherPeer);
        const THostListRec h = FListe->Get(1);
        QCOMPARE(h.PC, QString("NEU"));
        QCOMPARE(h.User, QString("carl"));
        QCOMPARE(h.IP, QString("10.0.0.21"));
        QCOMPARE(h.Status, TStatus::sOnline);
        QVERIFY(h.ChangeS);
    }

    // The stop test before each address, and between the steps for each host found.
    void anhalten_data() {
        QTest::addColumn<int>("nachTests");
        QTest::addColumn<int>("gefragt");
        QTest::addColumn<int>("uebergeben");
        // The test runs once per address (256), after the last address, once per host for
        // the hardware address (3), before the NetBIOS round, and twice per host merged.
        QTest::newRow("at once") << 0 << 0 << 0;
        QTest::newRow("at address 100") << 100 << 100 << 0;
        QTest::newRow("after the last address") << 256 << 256 << 0;
        QTest::newRow("before the names") << 256 + 1 + 3 << 256 << 0;
        QTest::newRow("after the first host's name") << 256 + 1 + 3 + 1 + 1 << 256 << 0;
        QTest::newRow("after two hosts") << 256 + 1 + 3 + 1 + 4 << 256 << 2;
        QTest::newRow("never") << 100000 << 256 << 3;
    }
    void anhalten() {
        QFETCH(int, nachTests);
        QFETCH(int, gefragt);
        QFETCH(int, uebergeben);
        for (const QString& ip : QStringList{"10.0.0.10", "10.0.0.11", "10.0.0.12"})
            Antwortet(ip, "00-00-00-00-00-" + ip.right(2));
        int tests = 0;
        const TScannerBericht b =
            ScannerDurchlauf(ScannerUmgebung(), "10.0.0.", *FListe, {}, [&] { return ++tests > nachTests; });
        QCOMPARE(Aufrufe(Fake(), "Fragen").size(), gefragt);
        QCOMPARE(b.Uebergeben, uebergeben);
        QCOMPARE(FListe->Count(), uebergeben);
        QCOMPARE(b.AngehaltenS, nachTests < 100000);
    }

    // A whole /16 with 256 threads: each block once, every found host merged, one
    // completion per thread with that thread, each thread gone afterwards.
    void threads() {
        const QStringList teile = ScannerIPTeile({Netz("10.1.255.255")});
        for (int b = 0; b < 256; b += 51)
            Antwortet(QStringLiteral("10.1.%1.7").arg(b),
                      QStringLiteral("00-00-00-00-%1-07").arg(b, 2, 16, QChar('0')).toUpper());
        QObject kontext;
        QList<TScannerThread*> beendet;
        QList<QPointer<TScannerThread>> threads;
        for (const QString& teil : teile)
            threads << TScannerThread::Create(teil, *FListe, ScannerUmgebung(), &kontext,
                                              [&](TScannerThread* t) { beendet << t; }, {EigeneMac});
        QCOMPARE(Laufzeit().ScannerAnzahl, 256);
        QTRY_COMPARE_WITH_TIMEOUT(beendet.size(), 256, 30000);
        QCOMPARE(QSet<TScannerThread*>(beendet.begin(), beendet.end()).size(), 256);
        QCOMPARE(Aufrufe(Fake(), "Fragen").size(), 65536);
        QCOMPARE(FListe->Count(), 6);
        QTRY_VERIFY(std::all_of(threads.begin(), threads.end(), [](const auto& t) { return t.isNull(); }));
        QTest::qWait(50);
        QCOMPARE(beendet.size(), 256); // exactly once each
    }

    // Switching off mid-sweep (or stopping, or losing the network, or being deleted) stops
    // every thread at its next address, and every thread still reports its end.
    void mittendrinAus_data() {
        QTest::addColumn<int>("art");
        QTest::newRow("switch off") << 0;
        QTest::newRow("program stops") << 1;
        QTest::newRow("network gone") << 2;
        QTest::newRow("threads deleted") << 3;
    }
    void mittendrinAus() {
        QFETCH(int, art);
        // Every thread waits inside its first address until all of them are there.
        QSemaphore angekommen;
        QSemaphore weiter;
        Fake().FBeimFragen = [&](quint32 adresse) {
            if ((adresse & 0xff) == 0) {
                angekommen.release();
                weiter.acquire();
            }
        };
        QObject kontext;
        int beendet = 0;
        QList<QPointer<TScannerThread>> threads;
        for (const QString& teil : ScannerIPTeile({Netz("10.1.255.255")}))
            threads << TScannerThread::Create(teil, *FListe, ScannerUmgebung(), &kontext,
                                              [&](TScannerThread*) { ++beendet; });
        QVERIFY(angekommen.tryAcquire(256, 30000));
        std::atomic<bool> geloeschtS{false};
        if (art == 0)
            Laufzeit().ScannerS = false;
        else if (art == 1)
            Laufzeit().StopS = true;
        else if (art == 2)
            Laufzeit().SetzeEigeneMAC(QString());
        else
            for (const auto& t : threads)
                t->requestInterruption();
        weiter.release(256);
        if (art == 3) {
            // Deleting waits for each thread's end; no completion can run afterwards.
            for (const auto& t : threads)
                delete t.data();
            geloeschtS = true;
            QTest::qWait(50);
        }
        QTRY_COMPARE_WITH_TIMEOUT(beendet, art == 3 ? 0 : 256, 30000);
        if (art != 3)
            QTRY_VERIFY(
                std::all_of(threads.begin(), threads.end(), [](const auto& t) { return t.isNull(); }));
        QVERIFY(geloeschtS == (art == 3));
        const QStringList gefragt = Aufrufe(Fake(), "Fragen");
        QCOMPARE(gefragt.size(), 256); // the address each was at, and no other
        for (const QString& g : gefragt)
            QVERIFY2(g.endsWith(".0 1"), qPrintable(g));
        QVERIFY(Aufrufe(Fake(), "Funde").isEmpty());
        QCOMPARE(Laufzeit().ScannerAnzahl, 256); // counted out by the controller's completion handler
    }
};

QTEST_GUILESS_MAIN(TstScanner)
#include "tst_scanner.moc"
