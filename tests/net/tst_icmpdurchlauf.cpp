// The reachability probe: one pass over the host list with scripted network answers, and
// the thread that runs it.

#include "net/IcmpDurchlauf.h"
#include "net/TIcmpThread.h"
#include "support/TestUmgebung.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <stdexcept>

namespace {
const QString EigeneMac = QStringLiteral("02-00-00-00-00-01");

// Hosts that answer (with the hardware address their ARP answer carries, possibly none);
// every other host is silent. BeimPing runs inside the echo, to change the list mid-pass.
class TSkriptSonde : public TNetzwerkSonde {
public:
    TSkriptSonde() : TNetzwerkSonde(AktuellerFake()) {}
    QHash<QString, QString> Antwortende;
    std::function<void(const QString&)> BeimPing;
    int VerzoegerungMs = 0;

    // Answers come at once, within the host's own wait.
    std::unique_ptr<TSondenRunde> RundeBeginnen(std::function<bool()>) const override {
        struct TRunde : TSondenRunde {
            const TSkriptSonde& S;
            QStringList Gekommen;
            explicit TRunde(const TSkriptSonde& s) : S(s) {}
            bool Fragen(const QString& host) override {
                if (host.isEmpty())
                    return false;
                S.Merken(QStringLiteral("Ping ") + host);
                if (S.VerzoegerungMs)
                    QThread::msleep(S.VerzoegerungMs);
                if (S.BeimPing)
                    S.BeimPing(host);
                if (S.Antwortende.contains(host))
                    Gekommen << host;
                return true;
            }
            QStringList Sammeln(int, const QString&) override { return std::exchange(Gekommen, {}); }
        };
        return std::make_unique<TRunde>(*this);
    }
    QString ResolveMAC(const QString& ip) const override {
        Merken(QStringLiteral("MAC ") + ip);
        return Antwortende.value(ip);
    }
    QStringList Aufrufe() const {
        QMutexLocker s(&FSperre);
        return FAufrufe;
    }
    qsizetype AnzahlAufrufe() const {
        QMutexLocker s(&FSperre);
        return FAufrufe.size();
    }

    void Merken(const QString& aufruf) const {
        QMutexLocker s(&FSperre);
        FAufrufe << aufruf;
    }

private:
    mutable QMutex FSperre;
    mutable QStringList FAufrufe;
};

class TWerfendeSonde : public TNetzwerkSonde {
public:
    TWerfendeSonde() : TNetzwerkSonde(AktuellerFake()) {}
    std::unique_ptr<TSondenRunde> RundeBeginnen(std::function<bool()>) const override {
        throw std::runtime_error("kaputt");
    }
};

THostListRec Host(const QString& ip, const QString& mac, TStatus status = TStatus::sOffline,
                  bool senderS = false) {
    THostListRec h;
    h.PC = QStringLiteral("PC-") + ip;
    h.User = QStringLiteral("anna");
    h.IP = ip;
    h.MAC = mac;
    h.Status = status;
    h.SenderS = senderS;
    return h;
}

QString Mac(int n) {
    return QStringLiteral("00-1A-2B-3C-4D-%1").arg(n, 2, 10, QLatin1Char('0'));
}
QString Ip(int n) {
    return QStringLiteral("10.0.0.%1").arg(n);
}

const auto Nie = [] { return false; };
} // namespace

class TstIcmpDurchlauf : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void leereListe();
    void status_data();
    void status();
    void arpNurNachAntwort();
    void leereAdresseOhneAnfrage();
    void spaeteAntwort_data();
    void spaeteAntwort();
    void ohneIcmpBleibtAllesStehen();
    void eintragGeloescht();
    void andererHostAufGleicherAdresse();
    void anhaengenOhneNeustart();
    void anhaltenMitten();

    void threadEinAbschlussJeDurchlauf();
    void threadOhneEigeneMac();
    void threadAusnahme();
    void threadLoeschenHaeltAn();
    void threadListeAendertSich();

private:
    std::unique_ptr<THostList> NeueListe(const QList<THostListRec>& hosts);

    QTemporaryDir FOrdner;
    std::unique_ptr<TTestUmgebung> FFake;
};

void TstIcmpDurchlauf::init() {
    FFake = std::make_unique<TTestUmgebung>();
    Laufzeit().StopS = false;
    Laufzeit().SetzeEigeneMAC(EigeneMac);
}

void TstIcmpDurchlauf::cleanup() {
    Laufzeit().StopS = false;
    Laufzeit().SetzeEigeneMAC(QString());
    FFake.reset();
}

std::unique_ptr<THostList> TstIcmpDurchlauf::NeueListe(const QList<THostListRec>& hosts) {
    auto liste = std::make_unique<THostList>(FOrdner.filePath(QStringLiteral("fehlt.txt")), AktuellerFake(),
                                             [] { return 1000u; });
    for (const THostListRec& h : hosts)
        liste->Put(liste->Add(h, false), h);
    liste->SetListChangeS(false);
    return liste;
}

void TstIcmpDurchlauf::leereListe() {
    auto liste = NeueListe({});
    TSkriptSonde sonde;
    const TIcmpDurchlaufBericht b = IcmpDurchlauf(*liste, sonde, Nie);
    QCOMPARE(b.Anfragen, 0);
    QVERIFY(!b.AngehaltenS);
    QVERIFY(sonde.Aufrufe().isEmpty());
}

void TstIcmpDurchlauf::status_data() {
    QTest::addColumn<int>("vorher");
    QTest::addColumn<bool>("senderVorherS");
    QTest::addColumn<bool>("antwortetS");
    QTest::addColumn<QString>("arpMac");
    QTest::addColumn<QString>("eintragMac");
    QTest::addColumn<int>("nachher");
    QTest::addColumn<bool>("geschriebenS");

    const int aus = int(TStatus::sOffline), an = int(TStatus::sOnline);
    const QString m = Mac(5);
    QTest::newRow("kommt online") << aus << false << true << m << m << an << true;
    QTest::newRow("bleibt online") << an << true << true << m << m << an << false;
    QTest::newRow("bleibt offline") << aus << false << false << QString() << m << aus << false;
    QTest::newRow("Peer verstummt") << an << true << false << QString() << m << aus << true;
    QTest::newRow("anderes Geraet") << an << false << true << Mac(6) << m << aus << true;
    QTest::newRow("kein ARP") << an << false << true << QString() << m << aus << true;
    QTest::newRow("kein ARP, Eintrag ohne MAC")
        << aus << false << true << QString() << QString() << aus << false;
    QTest::newRow("Kleinschreibung zaehlt nicht") << an << false << true << m.toLower() << m << aus << true;
}

void TstIcmpDurchlauf::status() {
    QFETCH(int, vorher);
    QFETCH(bool, senderVorherS);
    QFETCH(bool, antwortetS);
    QFETCH(QString, arpMac);
    QFETCH(QString, eintragMac);
    QFETCH(int, nachher);
    QFETCH(bool, geschriebenS);

    auto liste = NeueListe({Host(Ip(5), eintragMac, TStatus(vorher), senderVorherS)});
    TSkriptSonde sonde;
    if (antwortetS)
        sonde.Antwortende[Ip(5)] = arpMac;
    IcmpDurchlauf(*liste, sonde, Nie);

    const THostListRec h = liste->Get(0);
    QCOMPARE(int(h.Status), nachher);
    QCOMPARE(h.ChangeS, geschriebenS);
    QCOMPARE(liste->ChangeS(), geschriebenS);
    QCOMPARE(h.SenderS, nachher == int(TStatus::sOnline) && senderVorherS);
    QCOMPARE(sonde.Aufrufe().first(), QStringLiteral("Ping 10.0.0.5"));
}

void TstIcmpDurchlauf::arpNurNachAntwort() {
    auto liste = NeueListe({Host(Ip(1), Mac(1)), Host(Ip(2), Mac(2)), Host(Ip(3), Mac(3))});
    TSkriptSonde sonde;
    sonde.Antwortende[Ip(2)] = Mac(2);
    IcmpDurchlauf(*liste, sonde, Nie);
    // Exactly one request per host, no retry; ARP only for the host that answered.
    QCOMPARE(sonde.Aufrufe(),
             (QStringList{"Ping 10.0.0.1", "Ping 10.0.0.2", "MAC 10.0.0.2", "Ping 10.0.0.3"}));
    QCOMPARE(liste->Get(1).Status, TStatus::sOnline);
}

void TstIcmpDurchlauf::leereAdresseOhneAnfrage() {
    // The system's answers through the fake platform: an entry without address goes offline
    // and nothing is sent for it.
    FFake->Fake().FAntwortende = {0x0A000001};
    FFake->Fake().FHardware[0x0A000001] = QByteArray::fromHex("001a2b3c4d01");
    auto liste = NeueListe(
        {Host(QString(), Mac(9), TStatus::sOnline, true), Host(Ip(1), Mac(1)), Host(Ip(2), Mac(2))});
    const TNetzwerkSonde system(AktuellerFake());
    IcmpDurchlauf(*liste, system, Nie);
    QCOMPARE(liste->Get(0).Status, TStatus::sOffline);
    QVERIFY(!liste->Get(0).SenderS);
    QCOMPARE(liste->Get(1).Status, TStatus::sOnline);
    QCOMPARE(liste->Get(2).Status, TStatus::sOffline);
    QCOMPARE(FFake->Fake().NetzAufrufe(),
             (QStringList{"AdresseAufloesen 10.0.0.1", "EchoSenden 10.0.0.1", "EchoSammeln 10",
                          "Hardwareadresse 10.0.0.1", "AdresseAufloesen 10.0.0.2", "EchoSenden 10.0.0.2",
                          "EchoSammeln 10", "EchoSammeln 300"}));
}

void TstIcmpDurchlauf::spaeteAntwort_data() {
    QTest::addColumn<int>("verzoegerungMs");
    QTest::addColumn<bool>("onlineS");
    // The late host comes first, two silent ones after it: 30 ms of pass, then the grace.
    QTest::newRow("sofort") << 0 << true;
    QTest::newRow("waehrend der naechsten Hosts") << 15 << true;
    QTest::newRow("in der Nachfrist") << 150 << true;
    QTest::newRow("am Ende der Nachfrist") << 3 * IcmpTimeoutMs + IcmpNachlaufMs << true;
    QTest::newRow("nach der Nachfrist") << 3 * IcmpTimeoutMs + IcmpNachlaufMs + 1 << false;
}

void TstIcmpDurchlauf::spaeteAntwort() {
    QFETCH(int, verzoegerungMs);
    QFETCH(bool, onlineS);
    FFake->Fake().FAntwortVerzoegerungMs[0x0A000001] = verzoegerungMs;
    FFake->Fake().FHardware[0x0A000001] = QByteArray::fromHex("001a2b3c4d01");
    auto liste = NeueListe({Host(Ip(1), Mac(1), TStatus::sOnline, true),
                            Host(Ip(2), Mac(2), TStatus::sOnline), Host(Ip(3), Mac(3))});
    const TIcmpDurchlaufBericht b = IcmpDurchlauf(*liste, TNetzwerkSonde(AktuellerFake()), Nie);
    QCOMPARE(liste->Get(0).Status, onlineS ? TStatus::sOnline : TStatus::sOffline);
    QCOMPARE(liste->Get(0).SenderS, onlineS);
    QCOMPARE(liste->Get(1).Status, TStatus::sOffline);
    QCOMPARE(b.Erreicht, onlineS ? 1 : 0);
    QCOMPARE(b.Spaet, onlineS && verzoegerungMs > IcmpTimeoutMs ? 1 : 0);
}

void TstIcmpDurchlauf::ohneIcmpBleibtAllesStehen() {
    // Without any echo every host would look switched off: nothing is written instead.
    FFake->Fake().FIcmpHindernis = QStringLiteral("kein ICMP");
    FFake->Fake().FAntwortende = {0x0A000001};
    auto liste = NeueListe({Host(Ip(1), Mac(1)), Host(Ip(2), Mac(2), TStatus::sOnline, true)});
    const TIcmpDurchlaufBericht b = IcmpDurchlauf(*liste, TNetzwerkSonde(AktuellerFake()), Nie);
    QVERIFY(b.KeinIcmpS);
    QCOMPARE(liste->Get(0).Status, TStatus::sOffline);
    QCOMPARE(liste->Get(1).Status, TStatus::sOnline);
    QVERIFY(liste->Get(1).SenderS);
    QVERIFY(!liste->ChangeS());
    QVERIFY(FFake->Fake().NetzAufrufe().isEmpty());
}

void TstIcmpDurchlauf::eintragGeloescht() {
    auto liste = NeueListe({Host(Ip(1), Mac(1)), Host(Ip(2), Mac(2)), Host(Ip(3), Mac(3))});
    TSkriptSonde sonde;
    for (int i : {1, 2, 3})
        sonde.Antwortende[Ip(i)] = Mac(i);
    bool geloeschtS = false;
    sonde.BeimPing = [&](const QString& host) {
        if (host == Ip(2) && !geloeschtS) {
            geloeschtS = true;
            liste->Delete(1);
        }
    };
    const TIcmpDurchlaufBericht b = IcmpDurchlauf(*liste, sonde, Nie);
    QCOMPARE(b.Neustarts, 1);
    QCOMPARE(sonde.Aufrufe(),
             (QStringList{"Ping 10.0.0.1", "MAC 10.0.0.1", "Ping 10.0.0.2", "MAC 10.0.0.2", "Ping 10.0.0.1",
                          "MAC 10.0.0.1", "Ping 10.0.0.3", "MAC 10.0.0.3"}));
    QCOMPARE(liste->Count(), 2);
    QCOMPARE(liste->Get(1).IP, Ip(3));
    QCOMPARE(liste->Get(1).Status, TStatus::sOnline);
}

void TstIcmpDurchlauf::andererHostAufGleicherAdresse() {
    // The entry at the index is replaced by another host with the same address: the answer
    // was checked against the old MAC and belongs to nobody now.
    auto liste = NeueListe({Host(Ip(1), Mac(1), TStatus::sOnline)});
    TSkriptSonde sonde;
    sonde.Antwortende[Ip(1)] = Mac(7);
    int pings = 0;
    sonde.BeimPing = [&](const QString&) {
        if (++pings == 1)
            liste->Put(0, Host(Ip(1), Mac(7), TStatus::sOnline));
    };
    const TIcmpDurchlaufBericht b = IcmpDurchlauf(*liste, sonde, Nie);
    QCOMPARE(b.Neustarts, 1);
    QCOMPARE(liste->Get(0).Status, TStatus::sOnline);
    QVERIFY(!liste->Get(0).ChangeS);
}

void TstIcmpDurchlauf::anhaengenOhneNeustart() {
    auto liste = NeueListe({Host(Ip(1), Mac(1)), Host(Ip(2), Mac(2))});
    TSkriptSonde sonde;
    sonde.Antwortende[Ip(3)] = Mac(3);
    sonde.BeimPing = [&](const QString& host) {
        if (host == Ip(1))
            liste->Add(Host(Ip(3), Mac(3)), true);
    };
    const TIcmpDurchlaufBericht b = IcmpDurchlauf(*liste, sonde, Nie);
    QCOMPARE(b.Neustarts, 0);
    QCOMPARE(b.Anfragen, 3);
    QCOMPARE(liste->Get(2).Status, TStatus::sOnline);
}

void TstIcmpDurchlauf::anhaltenMitten() {
    auto liste = NeueListe({Host(Ip(1), Mac(1)), Host(Ip(2), Mac(2)), Host(Ip(3), Mac(3))});
    TSkriptSonde sonde;
    for (int i : {1, 2, 3})
        sonde.Antwortende[Ip(i)] = Mac(i);
    // Laufzeit().StopS comes (closing, suspend) while host 2 is probed.
    sonde.BeimPing = [&](const QString& host) { Laufzeit().StopS = Laufzeit().StopS || host == Ip(2); };
    const TIcmpDurchlaufBericht b = IcmpDurchlauf(*liste, sonde, [] { return IcmpAnhalten(Laufzeit()); });
    QVERIFY(b.AngehaltenS);
    QCOMPARE(liste->Get(0).Status, TStatus::sOnline);
    QCOMPARE(liste->Get(1).Status, TStatus::sOffline); // probed, but the result is dropped
    QCOMPARE(liste->Get(2).Status, TStatus::sOffline);
    QVERIFY(!sonde.Aufrufe().contains(QStringLiteral("Ping 10.0.0.3")));
}

void TstIcmpDurchlauf::threadEinAbschlussJeDurchlauf() {
    auto liste = NeueListe({Host(Ip(1), Mac(1)), Host(Ip(2), Mac(2))});
    auto sonde = std::make_shared<TSkriptSonde>();
    sonde->Antwortende[Ip(1)] = Mac(1);
    QObject kontext;
    int abschluesse = 0;
    bool richtigerThreadS = true;
    for (int durchlauf = 1; durchlauf <= 3; ++durchlauf) {
        QPointer<TIcmpThread> t = TIcmpThread::Create(
            *liste, Laufzeit(), &kontext,
            [&](const TIcmpDurchlaufBericht&) {
                ++abschluesse;
                richtigerThreadS = richtigerThreadS && QThread::currentThread() == kontext.thread();
            },
            sonde);
        QVERIFY(t);
        QTRY_VERIFY(t.isNull()); // freed itself
        QTRY_COMPARE(abschluesse, durchlauf);
        QTest::qWait(20);
        QCOMPARE(abschluesse, durchlauf); // and only once
    }
    QVERIFY(richtigerThreadS);
    QCOMPARE(sonde->AnzahlAufrufe(), 3 * 3);
    QCOMPARE(liste->Get(0).Status, TStatus::sOnline);

    // Two passes end close together: each handler gets the report of its own pass.
    auto kurz = NeueListe({Host(Ip(7), Mac(7))});
    QList<int> anfragen;
    for (THostList* l : {liste.get(), kurz.get()})
        TIcmpThread::Create(
            *l, Laufzeit(), &kontext, [&](const TIcmpDurchlaufBericht& b) { anfragen << b.Anfragen; }, sonde);
    QTRY_COMPARE(anfragen.size(), 2);
    std::sort(anfragen.begin(), anfragen.end());
    QCOMPARE(anfragen, (QList<int>{1, 2}));
}

void TstIcmpDurchlauf::threadOhneEigeneMac() {
    Laufzeit().SetzeEigeneMAC(QString());
    auto liste = NeueListe({Host(Ip(1), Mac(1), TStatus::sOnline, true)});
    auto sonde = std::make_shared<TSkriptSonde>();
    QObject kontext;
    int abschluesse = 0;
    TIcmpThread::Create(
        *liste, Laufzeit(), &kontext, [&](const TIcmpDurchlaufBericht&) { ++abschluesse; }, sonde);
    QTRY_COMPARE(abschluesse, 1);
    QVERIFY(sonde->Aufrufe().isEmpty());
    QCOMPARE(liste->Get(0).Status, TStatus::sOnline);
    QVERIFY(liste->Get(0).SenderS);
}

void TstIcmpDurchlauf::threadAusnahme() {
    auto liste = NeueListe({Host(Ip(1), Mac(1), TStatus::sOnline)});
    QObject kontext;
    int abschluesse = 0;
    QPointer<TIcmpThread> t = TIcmpThread::Create(
        *liste, Laufzeit(), &kontext, [&](const TIcmpDurchlaufBericht&) { ++abschluesse; },
        std::make_shared<TWerfendeSonde>());
    QTRY_COMPARE(abschluesse, 1);
    QTRY_VERIFY(t.isNull());
    QCOMPARE(liste->Get(0).Status, TStatus::sOnline);
}

void TstIcmpDurchlauf::threadLoeschenHaeltAn() {
    QList<THostListRec> hosts;
    for (int i = 1; i <= 250; ++i)
        hosts << Host(Ip(i), Mac(i % 100));
    auto liste = NeueListe(hosts);
    auto sonde = std::make_shared<TSkriptSonde>();
    sonde->VerzoegerungMs = 5;
    QObject kontext;
    int abschluesse = 0;
    QPointer<TIcmpThread> t = TIcmpThread::Create(
        *liste, Laufzeit(), &kontext, [&](const TIcmpDurchlaufBericht&) { ++abschluesse; }, sonde);
    QTRY_VERIFY(sonde->AnzahlAufrufe() >= 3);
    QElapsedTimer uhr;
    uhr.start();
    delete t.data(); // what the owner does before it frees the list
    QVERIFY2(uhr.elapsed() < 500, qPrintable(QString::number(uhr.elapsed())));
    const qsizetype gestoppt = sonde->AnzahlAufrufe();
    QVERIFY(gestoppt < 250);
    QTRY_COMPARE(abschluesse, 1);
    QTest::qWait(30);
    QCOMPARE(sonde->AnzahlAufrufe(), gestoppt);
    QCOMPARE(abschluesse, 1);
}

void TstIcmpDurchlauf::threadListeAendertSich() {
    // Passes run back to back while the user-interface thread adds, moves and deletes
    // entries: nothing may crash, and once the list holds still a pass sets every status.
    auto liste = NeueListe({});
    auto sonde = std::make_shared<TSkriptSonde>();
    for (int i = 1; i <= 60; ++i)
        sonde->Antwortende[Ip(i)] = Mac(i);
    QObject kontext;
    int abschluesse = 0;
    bool weiterS = true;
    std::function<void(const TIcmpDurchlaufBericht&)> starten = [&](const TIcmpDurchlaufBericht&) {
        ++abschluesse;
        if (weiterS)
            TIcmpThread::Create(*liste, Laufzeit(), &kontext, starten, sonde);
    };
    TIcmpThread::Create(*liste, Laufzeit(), &kontext, starten, sonde);
    QElapsedTimer uhr;
    uhr.start();
    int runde = 0;
    while (uhr.elapsed() < 700) {
        ++runde;
        liste->Add(Host(Ip(runde % 60 + 1), Mac(runde % 60 + 1)), true);
        if (runde % 3 == 0 && liste->Count() > 1) {
            TListenSperre sperre(*liste);
            const THostListRec a = liste->Get(0);
            liste->Put(0, liste->Get(1));
            liste->Put(1, a);
        }
        if (runde % 7 == 0 && liste->Count() > 0)
            liste->Delete(runde % liste->Count());
        QTest::qWait(1);
    }
    weiterS = false;
    const int bisher = abschluesse;
    QTRY_COMPARE(abschluesse, bisher + 1);
    QVERIFY(abschluesse > 3);

    TIcmpThread::Create(
        *liste, Laufzeit(), &kontext, [&](const TIcmpDurchlaufBericht&) { ++abschluesse; }, sonde);
    QTRY_COMPARE(abschluesse, bisher + 2);
    for (int i = 0; i < liste->Count(); ++i)
        QCOMPARE(liste->Get(i).Status, TStatus::sOnline);
}

QTEST_GUILESS_MAIN(TstIcmpDurchlauf)
#include "tst_icmpdurchlauf.moc"
