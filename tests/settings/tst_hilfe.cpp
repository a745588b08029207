#include "settings/Hilfe.h"
#include "support/TestUmgebung.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {
QByteArray Lesen(const QString& pfad) {
    QFile f(pfad);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void Schreiben(const QString& pfad, const QByteArray& daten) {
    QFile f(pfad);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(daten);
}
} // namespace

class TstHilfe : public QObject {
    Q_OBJECT

private slots:
    void verfuegbarkeitFolgtDenDateienNebenDemProgramm() {
        TTestUmgebung u;
        const QString ordner = QFileInfo(u.Fake().ProgrammDatei()).path() + "/";
        QCOMPARE(ProgrammOrdner(HilfeUmgebung()), ordner);
        QVERIFY(!HistoryVorhanden(HilfeUmgebung()));
        QVERIFY(!UpdaterVorhanden(HilfeUmgebung()));
        Schreiben(ordner + "History.txt", "1.01");
        QVERIFY(HistoryVorhanden(HilfeUmgebung()));
        QVERIFY(!UpdaterVorhanden(HilfeUmgebung()));
        Schreiben(ordner + "Renovo.exe", "MZ");
        QVERIFY(UpdaterVorhanden(HilfeUmgebung()));
        // Other places do not count.
        QFile::remove(ordner + "History.txt");
        Schreiben(u.Fake().TempOrdner() + "History.txt", "x");
        QVERIFY(!HistoryVorhanden(HilfeUmgebung()));
        // Installed: <prefix>/share/doc/veltrano beside <prefix>/bin.
        const QString doku = QDir::cleanPath(ordner + "../share/doc/veltrano/History.txt");
        QVERIFY(QDir().mkpath(QFileInfo(doku).path()));
        Schreiben(doku, "1.01");
        QCOMPARE(HistoryUrl(HilfeUmgebung()), QUrl::fromLocalFile(doku));
    }

    void texteUndAdressen() {
        const QString anfang =
            "Veltrano V1.01\r\nDieses Programm kann Computer über das Netzwerk starten und "
            "wieder herunterfahren lassen.";
        const THersteller h{"Anna Muster",
                            {"Hauptstraße 1", "1010 Wien"},
                            "www.muster.at",
                            "anna@muster.at",
                            "https://www.muster.at/spenden.htm"};
        QCOMPARE(ProgrammInfoText(h), anfang + "\r\n\r\nAnna Muster\r\nHauptstraße 1\r\n1010 Wien\r\n"
                                               "Web: www.muster.at\r\nMail: anna@muster.at");
        QCOMPARE(HomepageUrl(h).toString(), "http://www.muster.at");
        QCOMPARE(MailUrl(h).toString(), "mailto:anna@muster.at?subject=Veltrano V1.01");
        QCOMPARE(MailUrl(h).query(), "subject=Veltrano V1.01");
        QCOMPARE(SpendenUrl(h).toString(), "https://www.muster.at/spenden.htm");

        // Nothing given: no line, no address, no blank line after the description.
        QCOMPARE(ProgrammInfoText(THersteller{}), anfang);
        QCOMPARE(ProgrammInfoText(THersteller{{}, {}, {}, "anna@muster.at", {}}),
                 anfang + "\r\n\r\nMail: anna@muster.at");
        QVERIFY(HomepageUrl({}).isEmpty() && MailUrl({}).isEmpty() && SpendenUrl({}).isEmpty());
    }

    void uebergabeDateiByteFuerByte_data() {
        QTest::addColumn<bool>("utf8S");
        QTest::addColumn<QByteArray>("titelBytes");
        QTest::newRow("UTF-8-Gebietsschema") << true << QByteArray("GER\xc3\x84T - Veltrano V1.01");
        QTest::newRow("Einbyte-Codepage") << false << QByteArray("GER\xc4T - Veltrano V1.01");
    }
    void uebergabeDateiByteFuerByte() {
        QFETCH(bool, utf8S);
        QFETCH(QByteArray, titelBytes);
        TTestUmgebung u;
        u.Fake().FAnsiUtf8S = utf8S;
        QStringList gestartet;
        const auto fehler =
            UpdateUebergeben(HilfeUmgebung(), "GERÄT - Veltrano V1.01", 14, "Liberation Sans",
                             [&](const QString& p, const QStringList& a) { gestartet << p << a; });
        QVERIFY(!fehler);
        const QString datei = u.Fake().TempOrdner() + "Veltrano.cfg";
        QCOMPARE(UebergabeDatei(HilfeUmgebung()), datei);
        const QByteArray erwartet = "Veltrano V1.01\r\n" + titelBytes + "\r\n" +
                                    u.Fake().ProgrammDatei().toUtf8() +
                                    "\r\nVeltrano\r\n14 Liberation Sans\r\n";
        QCOMPARE(Lesen(datei), erwartet);
        QCOMPARE(gestartet, QStringList({ProgrammOrdner(HilfeUmgebung()) + "Renovo.exe", "Veltrano.cfg"}));
    }

    void schreibgeschuetzteUebergabeWirdUeberschrieben() {
        TTestUmgebung u;
        const QString datei = u.Fake().TempOrdner() + "Veltrano.cfg";
        Schreiben(datei, "alt und viel laenger als der neue Inhalt ....................................");
        QVERIFY(QFile::setPermissions(datei, QFile::ReadOwner));
        QVERIFY(UebergabeSchreiben(AktuellerFake(), datei, "neu\r\n"));
        QCOMPARE(Lesen(datei), QByteArray("neu\r\n"));
        QVERIFY(u.Fake().FAufrufe.contains("DateiAttributeEntfernen " + datei));
    }

    void untergeschobenerLinkWirdNichtBeschrieben() {
        TTestUmgebung u;
        const QString ziel = u.Fake().Basis() + "/fremd.txt";
        Schreiben(ziel, "bleibt");
        const QString datei = u.Fake().TempOrdner() + "Veltrano.cfg";
        QVERIFY(QFile::link(ziel, datei));
        QVERIFY(UebergabeSchreiben(AktuellerFake(), datei, "neu\r\n"));
        QCOMPARE(Lesen(ziel), QByteArray("bleibt"));
        QVERIFY(!QFileInfo(datei).isSymLink());
        QCOMPARE(Lesen(datei), QByteArray("neu\r\n"));
    }

    void nichtSchreibbarStartetNichts() {
        TTestUmgebung u;
        // A folder in its place cannot be replaced by a file, not even by root.
        const QString datei = u.Fake().TempOrdner() + "Veltrano.cfg";
        QVERIFY(QDir().mkpath(datei));
        bool gestartetS = false;
        const auto fehler = UpdateUebergeben(HilfeUmgebung(), "T", 12, "Arial",
                                             [&](const QString&, const QStringList&) { gestartetS = true; });
        QVERIFY(fehler);
        QCOMPARE(*fehler, "Es ist ein Fehler beim Aktualisieren aufgetreten!\r\nDie Datei \"" + datei +
                              "\" konnte nicht gespeichert werden.");
        QVERIFY(!gestartetS);

        // The program file gone (removed while it runs): no hand-off names it.
        QVERIFY(QDir().rmdir(datei));
        QVERIFY(QFile::remove(u.Fake().ProgrammDatei()));
        QVERIFY(UpdateUebergeben(HilfeUmgebung(), "T", 12, "Arial", [&](const QString&, const QStringList&) {
                    gestartetS = true;
                })->contains(u.Fake().ProgrammDatei()));
        QVERIFY(!gestartetS);
        QVERIFY(!QFile::exists(datei));
    }
};

QTEST_GUILESS_MAIN(TstHilfe)
#include "tst_hilfe.moc"
