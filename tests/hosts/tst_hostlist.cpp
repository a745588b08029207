#include "hosts/THostList.h"
#include "protocol/Nachrichten.h"
#include "support/TestUmgebung.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <vector>

namespace {

struct TListe {
    TTestUmgebung Umgebung;
    QTemporaryDir Ordner;
    quint32 Tick = 1000;
    THostList Liste{Ordner.path() + QStringLiteral("/Hostliste.txt"), Umgebung.Fake(),
                    [this] { return Tick; }};

    // A presence from ip, merged the way the reception merges it.
    int Praesenz(const QString& ip, const QString& pc, const QString& user, const QString& mac,
                 bool senderS = true, bool broadcastS = true) {
        return Liste.Add(Protokoll::PraesenzEintrag({senderS, pc, user, mac, broadcastS}, ip, Liste.Tick()),
                         false);
    }
};

THostListRec Scan(const QString& pc, const QString& user, const QString& ip, const QString& mac) {
    THostListRec r;
    r.PC = pc;
    r.User = user;
    r.IP = ip;
    r.MAC = mac;
    r.Status = TStatus::sOnline;
    return r;
}

const QString MacA = "00-1A-2B-3C-4D-5E";
const QString MacB = "00-1A-2B-3C-4D-5F";

// Stamps of the merge table: T1 lies beyond the Sender timeout after T0, past a wrap of the tick.
constexpr quint32 T0 = 0xFFFFF000u, T1 = T0 + 8500;

// An entry as the merge rules see it: user "u", online, broadcast flag set.
THostListRec E(const QString& pc, const QString& ip, const QString& mac, bool senderS, quint32 ms,
               bool changeS = false) {
    THostListRec r = Scan(pc, "u", ip, mac);
    r.BroadcastS = true;
    r.SenderS = senderS;
    r.Millisek = ms;
    r.ChangeS = changeS;
    return r;
}

} // namespace

class TstHostList : public QObject {
    Q_OBJECT
private slots:
    void init() { FUmgebung = std::make_unique<TTestUmgebung>(); }
    void cleanup() { FUmgebung.reset(); }

    void praesenzNeuUndGleich() {
        TListe t;
        QCOMPARE(t.Praesenz("10.0.0.5", "KUECHE", "anna", MacA), 0);
        THostListRec e = t.Liste.Get(0);
        QCOMPARE(e.PC, QString("KUECHE"));
        QCOMPARE(e.IP, QString("10.0.0.5"));
        QCOMPARE(e.Status, TStatus::sOnline);
        QVERIFY(e.SenderS);
        QVERIFY(e.BroadcastS);
        QVERIFY(!e.ChangeS);
        QVERIFY(!t.Liste.ChangeS()); // appending does not flag the list

        t.Tick += 1500;
        QCOMPARE(t.Praesenz("10.0.0.5", "KUECHE", "anna", MacA), -1);
        const THostListRec nachher = t.Liste.Get(0);
        QCOMPARE(nachher.Millisek, t.Tick); // only the stamp moves
        e.Millisek = t.Tick;
        QCOMPARE(nachher, e);
        QVERIFY(!t.Liste.ChangeS());
    }

    void praesenzGeaendertErsetztAlles() {
        TListe t;
        t.Praesenz("10.0.0.5", "KUECHE", "anna", MacA);
        t.Tick += 10;
        // Broadcast flag cleared now, and the user differs.
        QCOMPARE(t.Praesenz("10.0.0.9", "KUECHE", "bert", MacA, true, false), -1);
        const THostListRec e = t.Liste.Get(0);
        QCOMPARE(e.User, QString("bert"));
        QCOMPARE(e.IP, QString("10.0.0.9"));
        QVERIFY(!e.BroadcastS);
        QCOMPARE(e.Millisek, t.Tick);
        QVERIFY(e.ChangeS);
        QVERIFY(t.Liste.ChangeS());
    }

    void nurBroadcastAnders() {
        TListe t;
        t.Praesenz("10.0.0.5", "KUECHE", "anna", MacA);
        const quint32 vorher = t.Liste.Get(0).Millisek;
        t.Tick += 100;
        t.Praesenz("10.0.0.5", "KUECHE", "anna", MacA, true, false);
        QVERIFY(!t.Liste.Get(0).BroadcastS);
        QCOMPARE(t.Liste.Get(0).Millisek, vorher); // the stamp is not refreshed then
        QVERIFY(!t.Liste.ChangeS());
    }

    void leerePraesenzfelder() {
        TListe t;
        // Appended with "Unbekannt" for empty names.
        QCOMPARE(t.Praesenz("10.0.0.5", "", "", MacA), 0);
        QCOMPARE(t.Liste.Get(0).PC, QString("Unbekannt"));
        QCOMPARE(t.Liste.Get(0).User, QString("Unbekannt"));
        // A later empty name is stored as it comes (no "Unbekannt" on update).
        QCOMPARE(t.Praesenz("10.0.0.5", "", "anna", MacA), -1);
        QCOMPARE(t.Liste.Get(0).PC, QString());
        // A leaving presence keeps the host online but drops its Sender mark.
        t.Praesenz("10.0.0.5", "", "anna", MacA, false);
        QCOMPARE(t.Liste.Get(0).Status, TStatus::sOnline);
        QVERIFY(!t.Liste.Get(0).SenderS);
    }

    void senderTimeout_data() {
        QTest::addColumn<quint32>("start");
        QTest::addColumn<quint32>("abstand");
        QTest::addColumn<bool>("verfallen");
        QTest::newRow("genau 8000") << 1000u << 8000u << false;
        QTest::newRow("8001") << 1000u << 8001u << true;
        QTest::newRow("Umlauf genau 8000") << 0xFFFFF000u << 8000u << false;
        QTest::newRow("Umlauf 8001") << 0xFFFFF000u << 8001u << true;
    }
    void senderTimeout() {
        QFETCH(quint32, start);
        QFETCH(quint32, abstand);
        QFETCH(bool, verfallen);
        TListe t;
        t.Tick = start;
        t.Praesenz("10.0.0.5", "A", "anna", MacA);
        t.Tick = start + abstand; // wraps where the data says so
        t.Praesenz("10.0.0.6", "B", "bert", MacB);
        const THostListRec a = t.Liste.Get(0);
        QCOMPARE(a.SenderS, !verfallen);
        QCOMPARE(a.ChangeS, verfallen);
        QCOMPARE(t.Liste.ChangeS(), verfallen);
        QCOMPARE(a.Status, TStatus::sOnline);
        // The scanner never withdraws a Sender mark.
        TListe u;
        u.Tick = start;
        u.Praesenz("10.0.0.5", "A", "anna", MacA);
        u.Tick = start + abstand;
        u.Liste.Add(Scan("B", "", "10.0.0.6", MacB), true);
        QVERIFY(u.Liste.Get(0).SenderS);
    }

    void scannerRegeln() {
        TListe t;
        t.Praesenz("10.0.0.5", "PEER", "anna", MacA);
        // A peer's own report is never overwritten by the scanner.
        QCOMPARE(t.Liste.Add(Scan("ANDERS", "x", "10.0.0.99", MacA), true), -1);
        QCOMPARE(t.Liste.Get(0).PC, QString("PEER"));
        QCOMPARE(t.Liste.Get(0).IP, QString("10.0.0.5"));

        // Appended by the scanner: "Unbekannt" for empty names, stamp 0, not a peer.
        QCOMPARE(t.Liste.Add(Scan("", "", "10.0.0.7", MacB), true), 1);
        THostListRec b = t.Liste.Get(1);
        QCOMPARE(b.PC, QString("Unbekannt"));
        QCOMPARE(b.User, QString("Unbekannt"));
        QCOMPARE(b.Millisek, 0u);
        QVERIFY(!b.SenderS);

        // Known host, empty user, new address: only address (and status) change.
        t.Liste.SetStatus(1, TStatus::sOffline);
        t.Liste.SetPCUser(false, 1, "carla");
        t.Liste.SetChangeS(1, false);
        t.Liste.SetListChangeS(false);
        QCOMPARE(t.Liste.Add(Scan("", "", "10.0.0.8", MacB), true), -1);
        b = t.Liste.Get(1);
        QCOMPARE(b.User, QString("carla"));
        QCOMPARE(b.PC, QString("Unbekannt"));
        QCOMPARE(b.IP, QString("10.0.0.8"));
        QCOMPARE(b.Status, TStatus::sOnline);
        QVERIFY(b.ChangeS);
        QVERIFY(t.Liste.ChangeS());

        // Nothing differs: no flag.
        t.Liste.SetChangeS(1, false);
        t.Liste.SetListChangeS(false);
        t.Liste.Add(Scan("UNBEKANNT-NICHT", "", "10.0.0.8", MacB), true);
        QCOMPARE(t.Liste.Get(1).PC, QString("UNBEKANNT-NICHT"));
        t.Liste.SetChangeS(1, false);
        t.Liste.SetListChangeS(false);
        t.Liste.Add(Scan("", "", "10.0.0.8", MacB), true);
        QVERIFY(!t.Liste.Get(1).ChangeS);
        QVERIFY(!t.Liste.ChangeS());
    }

    void zugriffeAusserhalb() {
        TListe t;
        t.Praesenz("10.0.0.5", "A", "anna", MacA);
        const THostListRec leer;
        QCOMPARE(t.Liste.Get(-1), leer);
        QCOMPARE(t.Liste.Get(1), leer);
        t.Liste.SetStatus(1, TStatus::sOffline);
        t.Liste.SetChangeS(-1, true);
        t.Liste.SetPCUser(true, 5, "X");
        t.Liste.Put(1, Scan("X", "X", "X", "X"));
        t.Liste.Delete(1);
        t.Liste.Delete(-1);
        QCOMPARE(t.Liste.Count(), 1);
        QCOMPARE(t.Liste.Get(0).PC, QString("A"));
        QVERIFY(!t.Liste.ChangeS());
    }

    void statusUndFlags() {
        TListe t;
        t.Praesenz("10.0.0.5", "A", "anna", MacA);
        t.Liste.SetStatus(0, TStatus::sOffline);
        QVERIFY(!t.Liste.Get(0).SenderS);
        QVERIFY(!t.Liste.Get(0).ChangeS); // the probe sets the flag itself
        t.Liste.SetChangeS(0, true);
        QVERIFY(t.Liste.ChangeS());
        t.Liste.SetListChangeS(false);
        t.Liste.SetChangeS(0, false);
        QVERIFY(!t.Liste.ChangeS());
        t.Liste.SetPCUser(true, 0, "NEU");
        QCOMPARE(t.Liste.Get(0).PC, QString("NEU"));
        QVERIFY(t.Liste.Get(0).ChangeS && t.Liste.ChangeS());
    }

    void loeschenUndSuchen() {
        TListe t;
        for (int i = 0; i < 3; ++i)
            t.Liste.Add(
                Scan(QString::number(i), "u", "10.0.0." + QString::number(i), "MAC-" + QString::number(i)),
                true);
        t.Liste.Delete(1);
        QCOMPARE(t.Liste.Count(), 2);
        QCOMPARE(t.Liste.Get(0).PC, QString("0"));
        QCOMPARE(t.Liste.Get(1).PC, QString("2"));
        QCOMPARE(t.Liste.FindMAC("MAC-2").PC, QString("2"));
        QCOMPARE(t.Liste.FindMAC("mac-2").MAC, QString()); // exact, case-sensitive
        t.Liste.Delete(0);
        t.Liste.Delete(0);
        QCOMPARE(t.Liste.Count(), 0);
    }

    void alleOffline() {
        TListe t;
        t.Praesenz("10.0.0.5", "A", "anna", MacA);
        t.Praesenz("10.0.0.6", "B", "bert", MacB);
        t.Liste.AlleOffline();
        QVERIFY(t.Liste.ChangeS());
        for (int i = 0; i < 2; ++i) {
            const THostListRec e = t.Liste.Get(i);
            QCOMPARE(e.Status, TStatus::sOffline);
            QVERIFY(!e.SenderS);
            QCOMPARE(e.Millisek, 0u);
            QVERIFY(e.ChangeS);
        }
        QVERIFY(!t.Liste.Locked());
    }

    // A full list turns new hardware addresses away, from presence and sweep alike, drops
    // nothing, keeps updating known hosts, and has its message fetched once.
    void grenze() {
        TListe t;
        const auto mac = [](int i) { return QString("02-00-00-00-%1-%2").arg(i / 256).arg(i % 256); };
        for (int i = 0; i < THostList::MaxEintraege; ++i)
            QCOMPARE(t.Liste.Add(Scan("H", "u", "10.1.0.1", mac(i)), true), i);
        QVERIFY(!t.Liste.VollS());
        t.Liste.MeldungAbgeholt();
        t.Liste.GeaenderteAbholen();
        QSignalSpy meldungen(&t.Liste, &THostList::Geaendert);
        QCOMPARE(t.Praesenz("10.2.0.1", "NEU", "u", "02-FF-00-00-00-01"), -1);
        QCOMPARE(t.Liste.Add(Scan("NEU", "u", "10.2.0.2", "02-FF-00-00-00-02"), true), -1);
        QCOMPARE(t.Liste.Count(), THostList::MaxEintraege);
        QVERIFY(t.Liste.VollS());
        QCOMPARE(meldungen.size(), 1); // the refusal is reported, so the user hears of it
        QCOMPARE(t.Liste.VollMeldungAbholen(),
                 QString("Die Hostliste ist voll (%1 Einträge). Weitere Geräte "
                         "werden nicht aufgenommen; die bekannten werden weiter "
                         "aktualisiert.")
                     .arg(THostList::MaxEintraege));
        QCOMPARE(t.Liste.VollMeldungAbholen(), QString());
        QCOMPARE(t.Praesenz("10.1.0.9", "PEER", "anna", mac(7)), -1);
        QCOMPARE(t.Liste.Get(7).User, QString("anna"));
        QCOMPARE(t.Liste.GeaenderteAbholen(), QList<int>{7});
        QCOMPARE(t.Liste.Get(0).MAC, mac(0));
        QCOMPARE(t.Liste.Get(THostList::MaxEintraege - 1).MAC, mac(THostList::MaxEintraege - 1));
    }

    // The view code holds the lock while it calls operations that take it again: the same
    // thread must not hang; the change report comes once until it is collected.
    void sperreUndMeldung() {
        TListe t;
        QSignalSpy meldungen(&t.Liste, &THostList::Geaendert);
        {
            TListenSperre aussen(t.Liste);
            t.Praesenz("10.0.0.5", "A", "anna", MacA);
            t.Liste.AlleOffline();
            QVERIFY(t.Liste.Locked());
        }
        QVERIFY(!t.Liste.Locked());
        QCOMPARE(meldungen.size(), 1);
        t.Liste.MeldungAbgeholt();
        t.Liste.SetStatus(0, TStatus::sOnline); // a status alone is no row change
        QCOMPARE(meldungen.size(), 1);
        t.Liste.SetChangeS(0, true);
        QCOMPARE(meldungen.size(), 2);
    }

    // Scanner threads and presence datagrams merging the same new hosts at once append
    // each MAC exactly once; a reader without the lock never sees a torn list.
    void nebenlaeufigesZusammenfuehren() {
        TListe t;
        constexpr int Faeden = 8, Hosts = 200;
        std::atomic<bool> losS{false};
        std::vector<std::unique_ptr<QThread>> faeden;
        for (int f = 0; f < Faeden; ++f)
            faeden.emplace_back(QThread::create([&, f] {
                while (!losS)
                    QThread::yieldCurrentThread();
                for (int h = 0; h < Hosts; ++h) {
                    const QString mac = QString("02-00-00-00-%1-%2")
                                            .arg(h / 256, 2, 16, QChar('0'))
                                            .arg(h % 256, 2, 16, QChar('0'));
                    if (f % 2)
                        t.Liste.Add(Scan("H", "", "10.1.0.1", mac), true);
                    else
                        t.Praesenz("10.1.0.1", "H", "u", mac);
                }
            }));
        std::unique_ptr<QThread> leser(QThread::create([&] {
            while (!losS)
                QThread::yieldCurrentThread();
            for (int i = 0; i < 20000; ++i) {
                const int n = t.Liste.Count();
                (void)t.Liste.Get(n - 1);
                t.Liste.SetStatus(n / 2, TStatus::sOnline);
            }
        }));
        for (auto& f : faeden)
            f->start();
        leser->start();
        losS = true;
        for (auto& f : faeden)
            QVERIFY(f->wait(30000));
        QVERIFY(leser->wait(30000));
        QCOMPARE(t.Liste.Count(), Hosts);
        QSet<QString> macs;
        for (const THostListRec& e : t.Liste.GetListe())
            macs.insert(e.MAC);
        QCOMPARE(macs.size(), Hosts);
        QVERIFY(!t.Liste.Locked());
    }

    // One input at T1 merged into a given list, duplicates made by moves included.
    void zusammenfuehren_data() {
        QTest::addColumn<THostListListe>("vorher");
        QTest::addColumn<THostListRec>("eingabe");
        QTest::addColumn<bool>("scannerS");
        QTest::addColumn<int>("ergebnis");
        QTest::addColumn<THostListListe>("nachher");
        QTest::newRow("Praesenz: jeder Eintrag der MAC, andere verfallen")
            << THostListListe{E("A", "1", "M1", true, T0), E("B", "2", "M2", true, T0),
                              E("ALT", "3", "M1", true, T0)}
            << E("A", "1", "M1", true, T1) << false << -1
            << THostListListe{E("A", "1", "M1", true, T1), E("B", "2", "M2", false, T0, true),
                              E("A", "1", "M1", true, T1, true)};
        QTest::newRow("Praesenz: neue MAC neben doppelter")
            << THostListListe{E("X", "1", "M1", true, T0), E("Y", "2", "M1", true, T0)}
            << E("N", "5", "M3", true, T1) << false << 2
            << THostListListe{E("X", "1", "M1", false, T0, true), E("Y", "2", "M1", false, T0, true),
                              E("N", "5", "M3", true, T1)};
        QTest::newRow("Praesenz ersetzt Scannereintrag")
            << THostListListe{E("SCAN", "1", "M1", false, 0)} << E("PEER", "1", "M1", true, T1) << false << -1
            << THostListListe{E("PEER", "1", "M1", true, T1, true)};
        QTest::newRow("Scanner: nur der erste Eintrag der MAC")
            << THostListListe{E("X", "1", "M1", false, 0), E("Y", "2", "M1", false, 0)}
            << E("X", "7", "M1", false, 0) << true << -1
            << THostListListe{E("X", "7", "M1", false, 0, true), E("Y", "2", "M1", false, 0)};
        QTest::newRow("Scanner: erster Eintrag der MAC ist Peer")
            << THostListListe{E("X", "1", "M1", true, T0), E("Y", "2", "M1", false, 0)}
            << E("Z", "7", "M1", false, 0) << true << -1
            << THostListListe{E("X", "1", "M1", true, T0), E("Y", "2", "M1", false, 0)};
    }
    void zusammenfuehren() {
        QFETCH(THostListListe, vorher);
        QFETCH(THostListRec, eingabe);
        QFETCH(bool, scannerS);
        QFETCH(int, ergebnis);
        QFETCH(THostListListe, nachher);
        TListe t;
        for (int i = 0; i < vorher.size(); ++i)
            t.Liste.Put(t.Liste.Add(Scan("", "", "", "platz" + QString::number(i)), true), vorher[i]);
        t.Tick = T1;
        QCOMPARE(t.Liste.Add(eingabe, scannerS), ergebnis);
        QCOMPARE(t.Liste.GetListe(), nachher);
        QCOMPARE(t.Liste.ChangeS(), std::any_of(nachher.cbegin(), nachher.cend(),
                                                [](const THostListRec& e) { return e.ChangeS; }));
        // The store still knows which entries are senders: a later presence times them all out.
        t.Tick += 9000;
        t.Praesenz("9", "SPAETER", "u", "M-SPAETER");
        for (int i = 0; i + 1 < t.Liste.Count(); ++i)
            QVERIFY(!t.Liste.Get(i).SenderS);
    }

private:
    std::unique_ptr<TTestUmgebung> FUmgebung;
};

QTEST_GUILESS_MAIN(TstHostList)
#include "tst_hostlist.moc"
