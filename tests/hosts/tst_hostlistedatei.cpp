#include "common/ResConst.h"
#include "hosts/Datenpfade.h"
#include "hosts/HostlisteDatei.h"
#include "hosts/THostList.h"
#include "support/TestUmgebung.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray Lesen(const QString& pfad) {
    QFile f(pfad);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Schreiben(const QString& pfad, const QByteArray& inhalt) {
    QDir().mkpath(QFileInfo(pfad).absolutePath());
    QFile f(pfad);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(inhalt);
}

THostListRec Eintrag(const QString& pc, const QString& user, const QString& ip, const QString& mac) {
    THostListRec r;
    r.PC = pc;
    r.User = user;
    r.IP = ip;
    r.MAC = mac;
    return r;
}

} // namespace

class TstHostlisteDatei : public QObject {
    Q_OBJECT
private slots:
    void init() {
        FUmgebung = std::make_unique<TTestUmgebung>();
        FPfad = FUmgebung->Fake().Basis() + "/data/Veltrano/Hostliste.txt";
    }
    void cleanup() { FUmgebung.reset(); }

    void pfade() {
        const QString basis = FUmgebung->Fake().Basis();
        QCOMPARE(Laufzeit().HostlisteDatei, basis + "/data/Veltrano/Hostliste.txt");
        QCOMPARE(Laufzeit().ZeitsteuerungDatei, basis + "/data/Veltrano/Zeitsteuerung.txt");
        QCOMPARE(Laufzeit().AutostartLink, basis + "/config/autostart/veltrano.desktop");
        QCOMPARE(Laufzeit().DesktopLink, basis + "/Desktop/veltrano.desktop");
        QCOMPARE(Laufzeit().DesktopLinkAlle, QString()); // never a bare file name
        QCOMPARE(Laufzeit().EigenerPC, QString("TESTPC"));
        QCOMPARE(Laufzeit().EigenerName, QString("tester"));
        QCOMPARE(Laufzeit().EigeneMAC(), QString());
    }

    void lesen_data() {
        QTest::addColumn<QByteArray>("inhalt");
        QTest::addColumn<QStringList>("erwartet"); // "PC/User/IP/MAC" per entry
        QTest::newRow("Beispiel") << QByteArray("KUECHE|Anna|192.168.1.23|00-1A-2B-3C-4D-5E\r\n")
                                  << QStringList{"KUECHE/Anna/192.168.1.23/00-1A-2B-3C-4D-5E"};
        QTest::newRow("doppelter Trenner") << QByteArray("a||b|c|d\r\n") << QStringList{"a/b/c/d"};
        QTest::newRow("zu wenige Felder") << QByteArray("a|b|c\r\nx|y|z|w\r\n") << QStringList{"x/y/z/w"};
        QTest::newRow("Leerzeichenfeld")
            << QByteArray("KUECHE| |1.2.3.4|M1\r\n") << QStringList{"KUECHE/Unbekannt/1.2.3.4/M1"};
        QTest::newRow("Zeilenenden gemischt")
            << QByteArray("a|b|c|M1\rd|e|f|M2\ng|h|i|M3") << QStringList{"a/b/c/M1", "d/e/f/M2", "g/h/i/M3"};
        QTest::newRow("gleiche MAC zweimal")
            << QByteArray("a|b|c|M1\r\nx|y|z|M1\r\n") << QStringList{"x/y/z/M1"};
        QTest::newRow("Felder nach dem vierten")
            << QByteArray("|a|b|c|M1|extra|\r\n") << QStringList{"a/b/c/M1"};
        QTest::newRow("Name mit Trenner verschiebt")
            << QByteArray("A|B|anna|1.2.3.4|M1\r\n") << QStringList{"A/B/anna/1.2.3.4"};
        QTest::newRow("UTF-8 mit BOM") << QByteArray("\xEF\xBB\xBFK\xC3\x9C"
                                                     "CHE|J\xC3\xB6rg|1|M1\r\n")
                                       << QStringList{QString::fromUtf8("KÜCHE/Jörg/1/M1")};
        QTest::newRow("leer") << QByteArray() << QStringList{};
    }
    void lesen() {
        QFETCH(QByteArray, inhalt);
        QFETCH(QStringList, erwartet);
        Schreiben(FPfad, inhalt);
        THostList liste(FPfad, AktuellerFake(), [] { return 0u; });
        QStringList ist;
        for (const THostListRec& e : liste.GetListe()) {
            ist << e.PC + "/" + e.User + "/" + e.IP + "/" + e.MAC;
            QCOMPARE(e.Status, TStatus::sOffline);
            QVERIFY(!e.SenderS && !e.BroadcastS);
            QCOMPARE(e.Millisek, 0u);
        }
        QCOMPARE(ist, erwartet);
    }

    void ansiOhneBom() {
        // ANSI is a single-byte code page here: UTF-8 bytes without a mark stay bytes.
        FUmgebung->Fake().FAnsiUtf8S = false;
        Schreiben(FPfad, QByteArray("K\xDC"
                                    "CHE|a|1|M1\r\n"));
        THostList liste(FPfad, AktuellerFake(), [] { return 0u; });
        QCOMPARE(liste.Get(0).PC, QString::fromUtf8("KÜCHE"));
        liste.SetPCUser(true, 0, QString::fromUtf8("B\u00FCro \u20AC"));
        QVERIFY(liste.LoadSaveListe(false));
        // Characters outside the code page become its substitute character.
        QCOMPARE(Lesen(FPfad), QByteArray("B\xFCro ?|a|1|M1\r\n"));
    }

    void schreiben() {
        THostList liste(FPfad, AktuellerFake(), [] { return 0u; });
        liste.Add(Eintrag("KUECHE", "Anna", "192.168.1.23", "00-1A-2B-3C-4D-5E"), true);
        liste.Add(Eintrag("PC2", "x", "10.0.0.2", "M2"), true);
        liste.SetPCUser(false, 1, "");
        liste.SetPCUser(true, 1, " \t");
        QVERIFY(liste.LoadSaveListe(false));
        QCOMPARE(Lesen(FPfad),
                 QByteArray("KUECHE|Anna|192.168.1.23|00-1A-2B-3C-4D-5E\r\n | |10.0.0.2|M2\r\n"));
        // And back: blank fields load as "Unbekannt" for a new entry.
        THostList zurueck(FPfad, AktuellerFake(), [] { return 0u; });
        QCOMPARE(zurueck.Count(), 2);
        QCOMPARE(zurueck.Get(1).PC, QString("Unbekannt"));
        QCOMPARE(zurueck.Get(1).User, QString("Unbekannt"));
    }

    void zeilenumbruchImNamen() {
        THostList liste(FPfad, AktuellerFake(), [] { return 0u; });
        liste.Add(Eintrag("BOESE\r\nX|Y|Z|W", "anna\nb", "10.0.0.1", "M1"), true);
        liste.Add(Eintrag("GUT", "b", "10.0.0.2", "M2"), true);
        QVERIFY(liste.LoadSaveListe(false));
        const QByteArray inhalt = Lesen(FPfad);
        QCOMPARE(inhalt.count("\r\n"), 2);
        THostList zurueck(FPfad, AktuellerFake(), [] { return 0u; });
        // "|" is not escaped (the fields shift), but no extra entry appears.
        QCOMPARE(zurueck.Count(), 2);
        QCOMPARE(zurueck.Get(1).MAC, QString("M2"));
    }

    // A name that begins like a byte-order mark keeps its first characters and its entry.
    void nameWieBom() {
        THostList liste(FPfad, AktuellerFake(), [] { return 0u; });
        liste.Add(Eintrag(QString(QChar(0xFEFF)), "a", "1", "M1"), true);
        liste.Add(Eintrag(QString(QChar(0xFEFF)) + "KÜCHE", "b", "2", "M2"), true);
        QVERIFY(liste.LoadSaveListe(false));
        THostList zurueck(FPfad, AktuellerFake(), [] { return 0u; });
        QCOMPARE(zurueck.Count(), 2);
        QCOMPARE(zurueck.Get(0).PC, QString(QChar(0xFEFF)));
        QCOMPARE(zurueck.Get(1).PC, QString(QChar(0xFEFF)) + "KÜCHE");
    }

    void leereListeLoeschtDatei() {
        Schreiben(FPfad, "a|b|c|M1\r\n");
        THostList liste(FPfad, AktuellerFake(), [] { return 0u; });
        liste.Delete(0);
        QVERIFY(liste.LoadSaveListe(false));
        QVERIFY(!QFile::exists(FPfad));
        // A missing file loads as an empty list, successfully.
        QVERIFY(liste.LoadSaveListe(true));
        QCOMPARE(liste.Count(), 0);
    }

    void schreibgeschuetztWirdUeberschrieben() {
        Schreiben(FPfad, "a|b|c|M1\r\n");
        QFile(FPfad).setPermissions(QFile::ReadOwner);
        THostList liste(FPfad, AktuellerFake(), [] { return 0u; });
        liste.SetPCUser(true, 0, "NEU");
        QVERIFY(liste.LoadSaveListe(false));
        QCOMPARE(Lesen(FPfad), QByteArray("NEU|b|c|M1\r\n"));
    }

    void verknuepfungBleibtVerknuepfung() {
        const QString ziel = FUmgebung->Fake().Basis() + "/woanders/liste.txt";
        Schreiben(ziel, "a|b|c|M1\r\n");
        QDir().mkpath(QFileInfo(FPfad).absolutePath());
        QVERIFY(QFile::link(ziel, FPfad));
        THostList liste(FPfad, AktuellerFake(), [] { return 0u; });
        liste.SetPCUser(true, 0, "NEU");
        QVERIFY(liste.LoadSaveListe(false));
        QVERIFY(QFileInfo(FPfad).isSymLink());
        QCOMPARE(Lesen(ziel), QByteArray("NEU|b|c|M1\r\n"));
    }

    void ordnerWirdAngelegt() {
        const QString tief = FUmgebung->Fake().Basis() + "/a/b/c/Hostliste.txt";
        THostList liste(tief, AktuellerFake(), [] { return 0u; });
        liste.Add(Eintrag("A", "B", "C", "D"), true);
        QVERIFY(liste.LoadSaveListe(false));
        QVERIFY(QFile::exists(tief));
    }

    // A file that exists but cannot be read is never written over in this run: the user's
    // hosts would be gone. The user hears it once, with the file and the reason.
    void unlesbareDateiWirdNieUeberschrieben() {
        Schreiben(FPfad, "a|b|c|M1\r\n");
        FUmgebung->Fake().FLeseFehler.insert(FPfad, "keine Berechtigung");
        QStringList meldungen;
        THostList liste(
            FPfad, AktuellerFake(), [] { return 0u; }, [&](const QString& t) { meldungen << t; });
        QCOMPARE(liste.Count(), 0);
        QCOMPARE(liste.Sperrgrund(), QString("keine Berechtigung"));
        QCOMPARE(meldungen,
                 QStringList{"Die Hostliste „" + FPfad +
                             "“ konnte nicht gelesen werden (keine Berechtigung). Sie wird bis zum "
                             "nächsten Programmstart nicht überschrieben."});
        const int versuche = FUmgebung->Fake().FSchreibVersuche;
        liste.Add(Eintrag("NEU", "x", "1", "M9"), false);
        QVERIFY(!liste.LoadSaveListe(false));
        liste.Delete(0);
        QVERIFY(!liste.LoadSaveListe(false)); // not even deleted when the list is empty
        QCOMPARE(Lesen(FPfad), QByteArray("a|b|c|M1\r\n"));
        QCOMPARE(FUmgebung->Fake().FSchreibVersuche, versuche);
        QCOMPARE(meldungen.size(), 1);
        QVERIFY(liste.SpeicherFehlerText().isEmpty()); // nothing failed: nothing was tried

        // Once a load reads it, saving resumes.
        FUmgebung->Fake().FLeseFehler.clear();
        QVERIFY(liste.LoadSaveListe(true));
        QVERIFY(liste.Sperrgrund().isEmpty());
        liste.SetPCUser(true, 0, "NEU");
        QVERIFY(liste.LoadSaveListe(false));
        QCOMPARE(Lesen(FPfad), QByteArray("NEU|b|c|M1\r\n"));
    }

    void fifoBlockiertNichtUndBleibt() {
        QDir().mkpath(QFileInfo(FPfad).absolutePath());
        QCOMPARE(::mkfifo(QFile::encodeName(FPfad).constData(), 0600), 0);
        QStringList meldungen;
        THostList liste(
            FPfad, AktuellerFake(), [] { return 0u; }, [&](const QString& t) { meldungen << t; });
        QCOMPARE(liste.Count(), 0);
        QCOMPARE(meldungen.size(), 1);
        QVERIFY(meldungen[0].contains("benannte Pipe (FIFO)"));
        liste.Add(Eintrag("NEU", "x", "1", "M9"), false);
        QVERIFY(!liste.LoadSaveListe(false));
        QVERIFY(QFileInfo(FPfad).exists() && !QFileInfo(FPfad).isFile());
    }

    void zuGrosseDateiWirdNichtGeladenUndNichtUeberschrieben() {
        QDir().mkpath(QFileInfo(FPfad).absolutePath());
        QFile f(FPfad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.write("a|b|c|M1\r\n") > 0);
        QVERIFY(f.resize(MaxHostlisteGroesse + 1));
        f.close();
        QStringList meldungen;
        THostList liste(
            FPfad, AktuellerFake(), [] { return 0u; }, [&](const QString& t) { meldungen << t; });
        QCOMPARE(liste.Count(), 0);
        QVERIFY(liste.Sperrgrund().startsWith("zu groß"));
        QCOMPARE(meldungen.size(), 1);
        liste.Add(Eintrag("NEU", "x", "1", "M9"), false);
        QVERIFY(!liste.LoadSaveListe(false));
        QCOMPARE(QFileInfo(FPfad).size(), MaxHostlisteGroesse + 1);
    }

    // A file with more hosts than the list takes loads the first ones and is kept whole
    // aside before the first save shortens it; the user is told.
    void mehrAlsDieGrenze() {
        QByteArray inhalt;
        for (int i = 0; i < THostList::MaxEintraege + 2; ++i)
            inhalt += QString("pc%1|u|10.0.0.1|M%1\r\n").arg(i).toUtf8();
        Schreiben(FPfad, inhalt);
        QStringList meldungen;
        THostList liste(
            FPfad, AktuellerFake(), [] { return 0u; }, [&](const QString& t) { meldungen << t; });
        QCOMPARE(liste.Count(), THostList::MaxEintraege);
        QVERIFY(!liste.VollS()); // what loading left out is said here, not as a full list
        QCOMPARE(Lesen(FPfad + ".vollstaendig"), inhalt);
        QCOMPARE(meldungen,
                 QStringList{QString("Die Hostliste „%1“ enthält mehr als %2 Geräte; die ersten %2 "
                                     "wurden geladen, 2 weitere nicht. Die ganze Datei wurde als "
                                     "„%1.vollstaendig“ aufbewahrt.")
                                 .arg(FPfad)
                                 .arg(THostList::MaxEintraege)});
        QVERIFY(liste.LoadSaveListe(false));
        QCOMPARE(Lesen(FPfad).count("\r\n"), THostList::MaxEintraege);
    }

    // Which files count as damaged: most non-blank lines are no entries.
    void beschaedigt_data() {
        QTest::addColumn<QByteArray>("inhalt");
        QTest::addColumn<int>("zeilen");
        QTest::addColumn<int>("unbrauchbar");
        QTest::addColumn<bool>("beschaedigt");
        QTest::addColumn<QStringList>("macs"); // what loading takes
        QTest::newRow("gesund") << QByteArray("a|b|c|M1\r\n\r\nd|e|f|M2\r\n") << 2 << 0 << false
                                << QStringList{"M1", "M2"};
        QTest::newRow("eine schlechte Zeile")
            << QByteArray("a|b|c|M1\r\nKaputt\r\nd|e|f|M2\r\n") << 3 << 1 << false << QStringList{"M1", "M2"};
        QTest::newRow("halb und halb")
            << QByteArray("a|b|c|M1\r\nKaputt\r\n") << 2 << 1 << false << QStringList{"M1"};
        // In a sound file a line with a control character is still loaded, as before.
        QTest::newRow("Steuerzeichen einzeln") << QByteArray("a\x01x|b|c|M1\r\nd|e|f|M2\r\ng|h|i|M3\r\n") << 3
                                               << 1 << false << QStringList{"M1", "M2", "M3"};
        QTest::newRow("meist Unsinn") << QByteArray("a|b|c|M1\r\nx\r\ny\r\na\x01"
                                                    "a|b|c|M4\r\n")
                                      << 4 << 3 << true << QStringList{"M1"};
        QTest::newRow("UTF-16 ohne BOM") << QByteArray(reinterpret_cast<const char*>(u"a|b|c|M1\r\n"), 20)
                                         << 1 << 1 << true << QStringList{};
        QTest::newRow("leer") << QByteArray("\r\n \r\n") << 0 << 0 << false << QStringList{};
    }
    void beschaedigt() {
        QFETCH(QByteArray, inhalt);
        const THostlisteInhalt i = LeseHostlisteDatei(AktuellerFake(), inhalt);
        QTEST(i.Zeilen, "zeilen");
        QTEST(i.Unbrauchbar, "unbrauchbar");
        QTEST(i.BeschaedigtS, "beschaedigt");
        QStringList macs;
        for (const THostListRec& r : i.Eintraege)
            macs << r.MAC;
        QTEST(macs, "macs");
    }

    // A file of random bytes is no host list: what is sound of it is loaded, the file itself
    // kept beside it before it is first written over, and the user told once.
    void zufallsbytesWerdenAufbewahrt() {
        QByteArray zufall(256 * 1024, Qt::Uninitialized);
        quint32 x = 1717;
        for (char& c : zufall) {
            x = x * 1103515245u + 12345u;
            c = char(x >> 23);
        }
        Schreiben(FPfad, zufall);
        QStringList meldungen;
        THostList liste(
            FPfad, AktuellerFake(), [] { return 0u; }, [&](const QString& t) { meldungen << t; });
        QCOMPARE(liste.Count(), 0); // no garbage entries
        QCOMPARE(Lesen(FPfad + ".defekt"), zufall);
        QCOMPARE(meldungen.size(), 1);
        QVERIFY2(meldungen[0].startsWith("Die Hostliste „" + FPfad + "“ ist beschädigt ("),
                 qPrintable(meldungen[0]));
        QVERIFY(meldungen[0].endsWith(
            "Die lesbaren Einträge wurden geladen; die ursprüngliche Datei wurde als „" + FPfad +
            ".defekt“ aufbewahrt."));
        QVERIFY(liste.Sperrgrund().isEmpty());
        liste.Add(Eintrag("NEU", "x", "1", "M9"), false);
        QVERIFY(liste.LoadSaveListe(false));
        QCOMPARE(Lesen(FPfad), QByteArray("NEU|x|1|M9\r\n"));
        QCOMPARE(Lesen(FPfad + ".defekt"), zufall);

        // A second damaged file never replaces the first copy.
        Schreiben(FPfad, "x\r\ny\r\n");
        THostList zweite(FPfad, AktuellerFake(), [] { return 0u; });
        QCOMPARE(Lesen(FPfad + ".defekt"), zufall);
        QCOMPARE(Lesen(FPfad + ".defekt2"), QByteArray("x\r\ny\r\n"));
    }

    void beschaedigtOhneKopieWirdNichtUeberschrieben() {
        Schreiben(FPfad, "x\r\ny\r\na|b|c|M1\r\n");
        FUmgebung->Fake().FSchreibFehler.insert(FPfad + ".defekt", "der Datenträger ist schreibgeschützt");
        QStringList meldungen;
        THostList liste(
            FPfad, AktuellerFake(), [] { return 0u; }, [&](const QString& t) { meldungen << t; });
        QCOMPARE(liste.Count(), 1);
        QCOMPARE(meldungen,
                 QStringList{"Die Hostliste „" + FPfad +
                             "“ ist beschädigt (2 von 3 Zeilen sind keine Einträge), und es konnte keine "
                             "Kopie angelegt werden (der Datenträger ist schreibgeschützt). Sie wird bis "
                             "zum nächsten Programmstart nicht überschrieben."});
        liste.SetPCUser(true, 0, "NEU");
        QVERIFY(!liste.LoadSaveListe(false));
        QCOMPARE(Lesen(FPfad), QByteArray("x\r\ny\r\na|b|c|M1\r\n"));
    }

    // A save that fails (a full disk) leaves the old file whole, says so once with the
    // reason, and the next save tries again.
    void speicherfehlerEinmalGemeldetUndWiederholt() {
        Schreiben(FPfad, "a|b|c|M1\r\n");
        QStringList meldungen;
        THostList liste(
            FPfad, AktuellerFake(), [] { return 0u; }, [&](const QString& t) { meldungen << t; });
        FUmgebung->Fake().FSchreibFehler.insert(FPfad, "kein Speicherplatz mehr auf dem Datenträger");
        liste.Add(Eintrag("NEU", "x", "1", "M2"), false);
        QVERIFY(!liste.LoadSaveListe(false));
        liste.Add(Eintrag("NEU3", "x", "1", "M3"), false);
        QVERIFY(!liste.LoadSaveListe(false));
        QCOMPARE(Lesen(FPfad), QByteArray("a|b|c|M1\r\n"));
        QCOMPARE(meldungen,
                 QStringList{"Die Hostliste konnte nicht in „" + FPfad +
                             "“ gespeichert werden (kein Speicherplatz mehr auf dem Datenträger). Die "
                             "bisherige Datei bleibt unverändert; bei der nächsten Änderung wird es "
                             "erneut versucht."});
        QCOMPARE(liste.SpeicherFehler(), QString("kein Speicherplatz mehr auf dem Datenträger"));
        QVERIFY(liste.SpeicherFehlerText().contains("kein Speicherplatz mehr auf dem Datenträger"));

        FUmgebung->Fake().FSchreibFehler.clear();
        QVERIFY(liste.LoadSaveListe(false));
        QCOMPARE(Lesen(FPfad), QByteArray("a|b|c|M1\r\nNEU|x|1|M2\r\nNEU3|x|1|M3\r\n"));
        QVERIFY(liste.SpeicherFehlerText().isEmpty());
        // Told once per run.
        FUmgebung->Fake().FSchreibFehler.insert(FPfad, "Ein-/Ausgabefehler des Datenträgers");
        QVERIFY(!liste.LoadSaveListe(false));
        QCOMPARE(meldungen.size(), 1);
        QVERIFY(liste.SpeicherFehlerText().contains("Ein-/Ausgabefehler"));
    }

    // A save that cannot complete leaves the previous file whole.
    void fehlgeschlagenesSpeichernBehaeltAlteDatei() {
        Schreiben(FPfad, "a|b|c|M1\r\n");
        THostList liste(FPfad, AktuellerFake(), [] { return 0u; });
        liste.SetPCUser(true, 0, "NEU");
        // A directory where the temporary file would go makes the write fail.
        const QString ordner = QFileInfo(FPfad).absolutePath();
        QFile(ordner).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        const bool ergebnis = liste.LoadSaveListe(false);
        QFile(ordner).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (::geteuid() == 0)
            QSKIP("root writes into read-only folders");
        QVERIFY(!ergebnis);
        QCOMPARE(Lesen(FPfad), QByteArray("a|b|c|M1\r\n"));
    }

private:
    std::unique_ptr<TTestUmgebung> FUmgebung;
    QString FPfad;
};

QTEST_GUILESS_MAIN(TstHostlisteDatei)
#include "tst_hostlistedatei.moc"
