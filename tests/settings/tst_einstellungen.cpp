#include "common/TLaufzeit.h"
#include "hosts/Datenpfade.h"
#include "platform/linux/LinuxDienste.h"
#include "platform/linux/TLinuxStarteintraege.h"
#include "settings/ProgrammEinstellungen.h"
#include "settings/TEinstellungen.h"
#include "support/TestUmgebung.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class TstEinstellungen : public QObject {
    Q_OBJECT

    QTemporaryDir FOrdner;
    // The real platform: the store reads and writes through it.
    TLinuxDateien FDateien;
    // QSettings caches files per path within the process: a fresh path for every case.
    int FNummer = 0;
    QString Datei() const { return FOrdner.path() + QString("/cfg%1/Veltrano/Veltrano.conf").arg(FNummer); }
    // Writes raw lines, as a hand-edited or foreign file would hold them.
    void Roh(const QByteArray& zeilen) {
        QDir().mkpath(QFileInfo(Datei()).path());
        QFile f(Datei());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("[General]\n" + zeilen);
    }
    TEinstellungsWerte Laden() {
        TEinstellungsWerte w;
        w.EigenerName = "vorher";
        const bool okS = TEinstellungen(Datei(), FDateien).Laden(w, "anmeldung");
        [&] { QVERIFY(okS); }();
        return w;
    }

private slots:
    void init() { ++FNummer; }

    void eigenerSpeicherLiegtImKonfigurationsordner() {
        TLinuxDateien dateien;
        TLinuxIdentitaet identitaet;
        TLinuxStarteintraege eintraege(dateien);
        TLaufzeit laufzeit;
        DatenpfadeSetzen(laufzeit, dateien, identitaet, eintraege);
        QCOMPARE(laufzeit.EinstellungenDatei,
                 QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                     "/Veltrano/Veltrano.conf");
    }

    void neuerBenutzerBekommtVorgabenUndEinenLeerenSpeicher() {
        const TEinstellungsWerte w = Laden();
        QCOMPARE(w.EigenerName, "anmeldung");
        QCOMPARE(w.Schrift, TSchriftWerte{});
        QCOMPARE(w.Schrift.Name, "Arial");
        QCOMPARE(w.Schrift.Groesse, 12);
        QCOMPARE(w.Schrift.Farbe, 0xFF000008u);
        QCOMPARE(w.Schrift.Stil, 0);
        QCOMPARE(w.HintergrundNr, 1);
        // The store now exists, but nothing is written before the first save.
        QVERIFY(QFile::exists(Datei()));
        QCOMPARE(QSettings(Datei(), QSettings::IniFormat).allKeys().size(), 0);
    }

    void speichernSchreibtAlleSieben() {
        TEinstellungsWerte w;
        w.EigenerName = "Anna Maier";
        w.Schrift = {"DejaVu Serif", 14, 0x00336699, 238, StilFett | StilUnterstrichen};
        w.HintergrundNr = 12;
        QVERIFY(TEinstellungen(Datei(), FDateien).Speichern(w));
        const QSettings s(Datei(), QSettings::IniFormat);
        QStringList namen = s.allKeys();
        namen.sort();
        QCOMPARE(namen, QStringList({"FontCharSet", "FontColor", "FontName", "FontSize", "FontStyle",
                                     "HintColor", "MeinName"}));
        QCOMPARE(s.value("FontStyle").toInt(), 6);
        QCOMPARE(s.value("HintColor").toInt(), 12);
        QCOMPARE(s.value("FontColor").toLongLong(), 0x00336699);
        QCOMPARE(Laden(), w);
    }

    void systemFarbeUeberlebtSpeichern() {
        TEinstellungsWerte w;
        w.EigenerName = "x";
        QVERIFY(TEinstellungen(Datei(), FDateien).Speichern(w));
        QCOMPARE(QSettings(Datei(), QSettings::IniFormat).value("FontColor").toString(), "4278190088");
        QCOMPARE(Laden().Schrift.Farbe, 0xFF000008u);
    }

    void gespeicherteWerte_data() {
        QTest::addColumn<QByteArray>("zeilen");
        QTest::addColumn<int>("hintergrund");
        QTest::addColumn<int>("groesse");
        QTest::addColumn<int>("stil");
        QTest::addColumn<QString>("schrift");
        QTest::addColumn<int>("zeichensatz");
        // Style bits: italic 1, bold 2 (not the other way round).
        QTest::newRow("fett kursiv") << QByteArray("FontStyle=3\n") << 1 << 12 << 3 << "Arial" << 0;
        QTest::newRow("nur fett") << QByteArray("FontStyle=2\n") << 1 << 12 << 2 << "Arial" << 0;
        QTest::newRow("nur kursiv") << QByteArray("FontStyle=1\n") << 1 << 12 << 1 << "Arial" << 0;
        QTest::newRow("fremde Bits") << QByteArray("FontStyle=244\n") << 1 << 12 << 4 << "Arial" << 0;
        QTest::newRow("Stil -1 als DWORD")
            << QByteArray("FontStyle=4294967295\n") << 1 << 12 << 0 << "Arial" << 0;
        QTest::newRow("HintColor 19") << QByteArray("HintColor=19\n") << 0 << 12 << 0 << "Arial" << 0;
        QTest::newRow("HintColor -1") << QByteArray("HintColor=-1\n") << 0 << 12 << 0 << "Arial" << 0;
        QTest::newRow("HintColor 18") << QByteArray("HintColor=18\n") << 18 << 12 << 0 << "Arial" << 0;
        QTest::newRow("leerer Name") << QByteArray("FontName=\n") << 1 << 12 << 0 << "Arial" << 0;
        QTest::newRow("Name mit Komma")
            << QByteArray("FontName=Foo, Bar\n") << 1 << 12 << 0 << "Foo, Bar" << 0;
        QTest::newRow("Zeichensatz tiefe 8 Bit")
            << QByteArray("FontCharSet=511\n") << 1 << 12 << 0 << "Arial" << 255;
        QTest::newRow("Groesse hexadezimal") << QByteArray("FontSize=0x10\n") << 1 << 16 << 0 << "Arial" << 0;
        // A value of the wrong type falls back to its default; the values after it load.
        QTest::newRow("Groesse als Text")
            << QByteArray("FontSize=abc\nFontStyle=2\nHintColor=7\n") << 7 << 12 << 2 << "Arial" << 0;
        QTest::newRow("HintColor als Text")
            << QByteArray("HintColor=abc\nFontSize=20\n") << 1 << 20 << 0 << "Arial" << 0;
        QTest::newRow("HintColor als Liste")
            << QByteArray("HintColor=1, 2\n") << 1 << 12 << 0 << "Arial" << 0;
        QTest::newRow("Groesse 0") << QByteArray("FontSize=0\n") << 1 << 12 << 0 << "Arial" << 0;
        QTest::newRow("Groesse negativ") << QByteArray("FontSize=-8\n") << 1 << 12 << 0 << "Arial" << 0;
        QTest::newRow("Groesse zu gross")
            << QByteArray("FontSize=99999999999\n") << 1 << 12 << 0 << "Arial" << 0;
    }
    void gespeicherteWerte() {
        QFETCH(QByteArray, zeilen);
        Roh(zeilen);
        const TEinstellungsWerte w = Laden();
        QTEST(w.HintergrundNr, "hintergrund");
        QTEST(w.Schrift.Groesse, "groesse");
        QTEST(w.Schrift.Stil, "stil");
        QTEST(w.Schrift.Name, "schrift");
        QTEST(w.Schrift.Zeichensatz, "zeichensatz");
    }

    void eigenerName_data() {
        QTest::addColumn<QByteArray>("zeile");
        QTest::addColumn<QString>("name");
        QTest::newRow("fehlt") << QByteArray() << "anmeldung";
        QTest::newRow("gesetzt") << QByteArray("MeinName=Chef\n") << "Chef";
        QTest::newRow("Umlaut") << QByteArray("MeinName=J\xc3\xbcrgen\n") << "Jürgen";
        // Would shift every field of the presence datagram.
        QTest::newRow("leer") << QByteArray("MeinName=\n") << "anmeldung";
        QTest::newRow("Trenner") << QByteArray("MeinName=a|b\n") << "ab";
        QTest::newRow("nur Blanks") << QByteArray("MeinName=\"   \"\n") << "anmeldung";
    }
    void eigenerName() {
        QFETCH(QByteArray, zeile);
        Roh(zeile);
        QTEST(Laden().EigenerName, "name");
    }

    void nichtOeffenbarerSpeicherLaesstWerteUnveraendert() {
        // A folder where the file should be: the store can neither be read nor created.
        QDir().mkpath(Datei());
        TEinstellungsWerte w;
        w.EigenerName = "vorher";
        w.HintergrundNr = 5;
        const TEinstellungsWerte vorher = w;
        QVERIFY(!TEinstellungen(Datei(), FDateien).Laden(w, "anmeldung"));
        QCOMPARE(w, vorher);
        QVERIFY(!TEinstellungen(Datei(), FDateien).Speichern(w));
        QDir(Datei()).removeRecursively();
    }

    // A damaged line costs only the values it damages: the rest is kept, in memory and in the
    // file written next, and the file as it was is kept beside it.
    void beschaedigteZeile_data() {
        QTest::addColumn<QByteArray>("datei");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("groesse");
        QTest::addColumn<int>("hintergrund");
        QTest::addColumn<QString>("schaden");
        QTest::newRow("kaputte Gruppe")
            << QByteArray("[General]\nMeinName=Anna\nFontSize=20\n[kaputt\nHintColor=5\n") << "Anna" << 20
            << 5 << "Zeile 4: „[kaputt“";
        QTest::newRow("Unsinnszeile")
            << QByteArray("[General]\r\nMeinName=Anna\r\nUnsinn ohne Gleich\r\nFontSize=20\r\n") << "Anna"
            << 20 << 1 << "Zeile 3: „Unsinn ohne Gleich“";
        QTest::newRow("kein UTF-8") << QByteArray("[General]\nMeinName=J\xFCrgen\nFontSize=20\n")
                                    << "anmeldung" << 20 << 1 << "Zeile 2: „MeinName=J\uFFFDrgen“";
        QTest::newRow("Wert falschen Typs")
            << QByteArray("[General]\nMeinName=Anna\nFontSize=abc\nHintColor=5\n") << "Anna" << 12 << 5
            << "Wert „FontSize“";
        QTest::newRow("Nullbyte") << QByteArray("[General]\nMeinName=Anna\n\0\0\0\nFontSize=20\n", 40)
                                  << "Anna" << 20 << 1 << "Zeile 3: „???“";
    }
    void beschaedigteZeile() {
        QFETCH(QByteArray, datei);
        QFETCH(QString, schaden);
        QDir().mkpath(QFileInfo(Datei()).path());
        {
            QFile f(Datei());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(datei);
        }
        QStringList meldungen;
        TEinstellungen speicher(Datei(), FDateien);
        speicher.Melden = [&](const QString& t) { meldungen << t; };
        TEinstellungsWerte w;
        QVERIFY(speicher.Laden(w, "anmeldung"));
        QTEST(w.EigenerName, "name");
        QTEST(w.Schrift.Groesse, "groesse");
        QTEST(w.HintergrundNr, "hintergrund");
        QCOMPARE(meldungen,
                 QStringList{"Die Einstellungen „" + Datei() + "“ waren beschädigt (" + schaden +
                             "). Die lesbaren Werte wurden übernommen, die übrigen auf ihre Vorgaben "
                             "gesetzt; die ursprüngliche Datei wurde als „" +
                             Datei() + ".defekt“ aufbewahrt."});
        QFile kopie(Datei() + ".defekt");
        QVERIFY(kopie.open(QIODevice::ReadOnly));
        QCOMPARE(kopie.readAll(), datei);

        // Written back: the good values stay, and the file is whole again; no second copy.
        QVERIFY(speicher.Speichern(w));
        QCOMPARE(meldungen.size(), 1);
        QVERIFY(!QFile::exists(Datei() + ".defekt2"));
        meldungen.clear();
        TEinstellungen neu(Datei(), FDateien);
        neu.Melden = [&](const QString& t) { meldungen << t; };
        TEinstellungsWerte wieder;
        QVERIFY(neu.Laden(wieder, "anmeldung"));
        QCOMPARE(wieder, w);
        QCOMPARE(meldungen, QStringList{});
    }

    // Lines of other programs or later versions stay when the seven values are written.
    void fremdeZeilenBleiben() {
        Roh("MeinName=Anna\nSpaeter=1\n[Andere]\nWert=x\n");
        TEinstellungen speicher(Datei(), FDateien);
        TEinstellungsWerte w;
        QVERIFY(speicher.Laden(w, "anmeldung"));
        QVERIFY(!QFile::exists(Datei() + ".defekt"));
        QVERIFY(speicher.Speichern(w));
        const QSettings s(Datei(), QSettings::IniFormat);
        QCOMPARE(s.value("Spaeter").toString(), "1");
        QCOMPARE(s.value("Andere/Wert").toString(), "x");
        QCOMPARE(s.value("MeinName").toString(), "Anna");
        QCOMPARE(s.value("FontSize").toInt(), 12);
    }

    // A named pipe at the settings path neither blocks the start nor the close.
    void fifoBlockiertNicht() {
        QDir().mkpath(QFileInfo(Datei()).path());
        QCOMPARE(::mkfifo(QFile::encodeName(Datei()).constData(), 0600), 0);
        QStringList meldungen;
        TEinstellungen speicher(Datei(), FDateien);
        speicher.Melden = [&](const QString& t) { meldungen << t; };
        TEinstellungsWerte w;
        w.EigenerName = "vorher";
        QVERIFY(!speicher.Laden(w, "anmeldung"));
        QCOMPARE(w.EigenerName, "vorher");
        QVERIFY(!speicher.Speichern(w));
        QCOMPARE(meldungen,
                 QStringList{"Die Einstellungen „" + Datei() +
                             "“ konnten nicht gelesen werden (keine gewöhnliche Datei, sondern eine "
                             "benannte Pipe (FIFO)). Sie werden bis zum nächsten Programmstart nicht "
                             "überschrieben."});
        QVERIFY(!QFileInfo(Datei()).isFile());
        QFile::remove(Datei());
    }

    void unlesbareDateiWirdNieUeberschrieben() {
        TTestUmgebung umgebung;
        Roh("MeinName=Anna\n");
        umgebung.Fake().FLeseFehler.insert(Datei(), "keine Berechtigung");
        TEinstellungen speicher(Datei(), umgebung.Fake());
        QStringList meldungen;
        speicher.Melden = [&](const QString& t) { meldungen << t; };
        TEinstellungsWerte w;
        QVERIFY(!speicher.Laden(w, "anmeldung"));
        QVERIFY(!speicher.Speichern(w));
        QCOMPARE(umgebung.Fake().FSchreibVersuche, 0);
        QCOMPARE(meldungen.size(), 1);
        QVERIFY(meldungen[0].contains("(keine Berechtigung)"));
    }

    void speicherfehlerEinmalGemeldet() {
        TTestUmgebung umgebung;
        TEinstellungen speicher(Datei(), umgebung.Fake());
        QStringList meldungen;
        speicher.Melden = [&](const QString& t) { meldungen << t; };
        TEinstellungsWerte w;
        QVERIFY(speicher.Laden(w, "anmeldung"));
        umgebung.Fake().FSchreibFehler.insert(Datei(), "kein Speicherplatz mehr auf dem Datenträger");
        QVERIFY(!speicher.Speichern(w));
        QVERIFY(!speicher.Speichern(w));
        const QString text = "Die Einstellungen konnten nicht in „" + Datei() +
                             "“ gespeichert werden (kein Speicherplatz mehr auf dem Datenträger).";
        QCOMPARE(meldungen, QStringList{text});
        QCOMPARE(speicher.SpeicherFehlerText(), text);
        umgebung.Fake().FSchreibFehler.clear();
        QVERIFY(speicher.Speichern(w));
        QVERIFY(speicher.SpeicherFehlerText().isEmpty());
    }

    // The font object side: style bits both ways, and a load through RegistryLaden.
    void stilBitsAmFont_data() {
        QTest::addColumn<int>("bits");
        QTest::addColumn<QString>("stil"); // k italic, f bold, u underline, d strike-out
        QTest::newRow("keiner") << 0 << "";
        QTest::newRow("kursiv") << 1 << "k";
        QTest::newRow("fett") << 2 << "f";
        QTest::newRow("unterstrichen, durchgestrichen") << 12 << "ud";
        QTest::newRow("alle") << 15 << "kfud";
    }
    void stilBitsAmFont() {
        QFETCH(int, bits);
        QFETCH(QString, stil);
        QFont f("Arial");
        SetzeStilBits(f, bits);
        QCOMPARE(f.italic(), stil.contains('k'));
        QCOMPARE(f.bold(), stil.contains('f'));
        QCOMPARE(f.underline(), stil.contains('u'));
        QCOMPARE(f.strikeOut(), stil.contains('d'));
        QCOMPARE(StilBits(f), bits);
    }

    void registryLadenSpeichernMitProgrammSchrift() {
        TTestUmgebung umgebung;
        Roh("FontName=Liberation Serif\nFontSize=14\nFontStyle=6\nFontColor=255\nHintColor=12\n");
        TProgrammEinstellungen e;
        TEinstellungen speicher(Datei(), FDateien);
        QVERIFY(RegistryLaden(e, speicher, AktuellerFake().UserName()));
        QCOMPARE(e.EigenerName, "tester"); // the fake's log-on name
        QCOMPARE(e.Schrift.Font.family(), "Liberation Serif");
        QCOMPARE(e.Schrift.Font.pointSize(), 14);
        QVERIFY(e.Schrift.Font.bold() && e.Schrift.Font.underline());
        QVERIFY(!e.Schrift.Font.italic() && !e.Schrift.Font.strikeOut());
        QCOMPARE(e.Schrift.Farbe(), QColor(255, 0, 0));
        QCOMPARE(e.HintergrundNr, 12);

        e.Schrift.Font.setItalic(true);
        e.EigenerName = "Neu";
        QVERIFY(RegistrySpeichern(e, speicher));
        const QSettings s(Datei(), QSettings::IniFormat);
        QCOMPARE(s.value("FontStyle").toInt(), 7);
        QCOMPARE(s.value("MeinName").toString(), "Neu");
        QCOMPARE(s.value("FontSize").toInt(), 14);
    }
};

QTEST_MAIN(TstEinstellungen)
#include "tst_einstellungen.moc"
