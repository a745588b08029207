#include "hosts/THostList.h"
#include "protocol/Nachrichten.h"
#include "support/TestUmgebung.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <atomic>
#include <vector>

namespace {

struct TListe {
    QTemporaryDir Ordner;
    quint32 Tick = 1000;
    THostList Liste{Ordner.path() + QStringLiteral("/Hostliste.txt"), [this] { return Tick; }};

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

// The merge rules written as plainly as possible, to check the store's faster merge.
struct TReferenz {
    THostListListe Liste;
    bool ChangeS = false;

    int Add(THostListRec h, bool scannerS, quint32 jetzt) {
        bool gefundenS = false;
        for (THostListRec& e : Liste) {
            if (e.MAC != h.MAC) {
                if (!scannerS && e.SenderS && quint32(jetzt - e.Millisek) > 8000) {
                    e.ChangeS = true;
                    e.SenderS = false;
                    ChangeS = true;
                }
                continue;
            }
            if (scannerS) {
                if (e.SenderS)
                    return -1;
                if ((e.PC != h.PC && !h.PC.isEmpty()) || (e.User != h.User && !h.User.isEmpty()) ||
                    e.Status != h.Status || e.IP != h.IP) {
                    e.ChangeS = true;
                    if (!h.PC.isEmpty())
                        e.PC = h.PC;
                    if (!h.User.isEmpty())
                        e.User = h.User;
                    e.Status = h.Status;
                    e.IP = h.IP;
                    ChangeS = true;
                }
                return -1;
            }
            gefundenS = true;
            if (e.PC == h.PC && e.User == h.User && e.Status == h.Status && e.SenderS == h.SenderS &&
                e.IP == h.IP) {
                if (e.BroadcastS != h.BroadcastS)
                    e.BroadcastS = h.BroadcastS;
                else
                    e.Millisek = jetzt;
            } else {
                h.ChangeS = true;
                e = h;
                ChangeS = true;
            }
        }
        if (gefundenS)
            return -1;
        h.ChangeS = false;
        if (h.PC.isEmpty())
            h.PC = "Unbekannt";
        if (h.User.isEmpty())
            h.User = "Unbekannt";
        Liste.append(h);
        return int(Liste.size()) - 1;
    }
};

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

    // Random sequences of every operation give the same list, flags and results as the
    // plain rules, duplicates made by moves included.
    void gegenReferenz() {
        QRandomGenerator zufall(1234);
        for (int lauf = 0; lauf < 40; ++lauf) {
            TListe t;
            TReferenz r;
            t.Tick = zufall.bounded(2) ? 0xFFFFA000u : 5000u;
            auto zufallsText = [&](const QStringList& auswahl) {
                return auswahl[zufall.bounded(auswahl.size())];
            };
            for (int schritt = 0; schritt < 400; ++schritt) {
                t.Tick += zufall.bounded(3) ? zufall.bounded(3000) : zufall.bounded(12000);
                const int op = zufall.bounded(100);
                THostListRec h;
                h.PC = zufallsText({"", "A", "B"});
                h.User = zufallsText({"", "anna", "bert"});
                h.IP = zufallsText({"10.0.0.1", "10.0.0.2"});
                h.MAC = zufallsText({"M0", "M1", "M2", "M3", "M4", "M5", "M6", "M7"});
                if (op < 45) {
                    h.SenderS = zufall.bounded(4) != 0;
                    h.BroadcastS = zufall.bounded(4) != 0;
                    h.Status = TStatus::sOnline;
                    h.Millisek = t.Tick;
                    QCOMPARE(t.Liste.Add(h, false), r.Add(h, false, t.Tick));
                } else if (op < 70) {
                    h.Status = zufall.bounded(2) ? TStatus::sOnline : TStatus::sOffline;
                    QCOMPARE(t.Liste.Add(h, true), r.Add(h, true, t.Tick));
                } else if (op < 78 && !r.Liste.isEmpty()) {
                    const int a = zufall.bounded(int(r.Liste.size())),
                              b = zufall.bounded(int(r.Liste.size()));
                    t.Liste.Put(a, t.Liste.Get(b)); // may leave one MAC twice
                    r.Liste[a] = r.Liste[b];
                } else if (op < 86 && !r.Liste.isEmpty()) {
                    const int i = zufall.bounded(int(r.Liste.size()));
                    t.Liste.Delete(i);
                    r.Liste.removeAt(i);
                } else if (op < 96 && !r.Liste.isEmpty()) {
                    const int i = zufall.bounded(int(r.Liste.size()));
                    const TStatus st = zufall.bounded(2) ? TStatus::sOnline : TStatus::sOffline;
                    t.Liste.SetStatus(i, st);
                    r.Liste[i].Status = st;
                    if (st == TStatus::sOffline)
                        r.Liste[i].SenderS = false;
                } else if (op < 98) {
                    t.Liste.AlleOffline();
                    for (THostListRec& e : r.Liste) {
                        e.Status = TStatus::sOffline;
                        e.SenderS = false;
                        e.Millisek = 0;
                        e.ChangeS = true;
                    }
                    r.ChangeS = true;
                } else {
                    t.Liste.SetListChangeS(false);
                    r.ChangeS = false;
                }
                QCOMPARE(t.Liste.GetListe(), r.Liste);
                QCOMPARE(t.Liste.ChangeS(), r.ChangeS);
            }
        }
    }

private:
    std::unique_ptr<TTestUmgebung> FUmgebung;
};

QTEST_GUILESS_MAIN(TstHostList)
#include "tst_hostlist.moc"
