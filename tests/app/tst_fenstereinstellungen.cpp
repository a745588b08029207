#include "app/TForm1.h"
#include "common/ResConst.h"
#include "support/TForm1Innen.h"
#include "support/TestUmgebung.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

// Settings and launchers as the main window uses them: loaded at the first tick, saved at
// the close, and the check boxes touching files only when the user changed them.
class TstFensterEinstellungen : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestUmgebung> FUmgebung;

    QString KonfDatei() const { return FUmgebung->Fake().Basis() + "/config/Veltrano/Veltrano.conf"; }

    std::unique_ptr<TForm1> Starten() { return FormStarten({}); }

private slots:
    void init() {
        FUmgebung = std::make_unique<TTestUmgebung>();
        FUmgebung->NetzEinrichten();
    }
    void cleanup() { FUmgebung.reset(); }

    void neuerBenutzer() {
        auto form = Starten();
        QCOMPARE(Innen(*form).ProgrammSchrift().Font.family(), QString("Arial"));
        QCOMPARE(Innen(*form).ProgrammSchrift().Font.pointSize(), 12);
        QCOMPARE(Innen(*form).GetHintergrundNr(), 1);
        QCOMPARE(Innen(*form).ListView1->font().pointSize(), 12);
        QCOMPARE(Laufzeit().EigenerName, QString("tester"));
        // Nothing is written before the first save; the close writes all seven values.
        QVERIFY(QSettings(KonfDatei(), QSettings::IniFormat).allKeys().isEmpty());
        form->SchliessenOhneFrage();
        QSettings s(KonfDatei(), QSettings::IniFormat);
        QCOMPARE(s.allKeys().size(), 7);
        QCOMPARE(s.value("FontSize").toInt(), 12);
        QCOMPARE(s.value("MeinName").toString(), QString("tester"));
    }

    void gespeicherteWerteWirken() {
        {
            QDir().mkpath(QFileInfo(KonfDatei()).absolutePath());
            QSettings s(KonfDatei(), QSettings::IniFormat);
            s.setValue("MeinName", "Anna");
            s.setValue("FontName", "Liberation Serif");
            s.setValue("FontSize", 20);
            s.setValue("FontStyle", 3);
            s.setValue("HintColor", 7);
        }
        auto form = Starten();
        QCOMPARE(Laufzeit().EigenerName, QString("Anna"));
        QCOMPARE(Innen(*form).GetHintergrundNr(), 7);
        QCOMPARE(Innen(*form).Hintergrund(), QColor(0, 128, 0));
        const QFont f = Innen(*form).ListView1->font();
        QCOMPARE(f.pointSize(), 20);
        QVERIFY(f.bold() && f.italic());
        QCOMPARE(Innen(*form).Btn1Beenden->font().pointSize(), 20);
        // Controls grow with the font.
        QVERIFY(Innen(*form).Btn1Beenden->height() > QFontMetrics(f).height());
        // At least 125 pixels, wide enough for either caption at 20 points, both the same.
        const QFontMetrics knopf(Innen(*form).Btn1Minimieren->font());
        QVERIFY(Innen(*form).Btn1Beenden->width() >= 125);
        QVERIFY(knopf.horizontalAdvance("Minimieren") + 8 <= Innen(*form).Btn1Beenden->width());
        QVERIFY(knopf.horizontalAdvance("Beenden") + 8 <= Innen(*form).Btn1Beenden->width());
        QCOMPARE(Innen(*form).Btn1Minimieren->width(), Innen(*form).Btn1Beenden->width());
    }

    void verknuepfungenNurDurchBenutzer() {
        auto form = Starten();
        QVERIFY(!QFile::exists(Laufzeit().DesktopLink));
        // A refresh (showing the window) changes boxes but never files.
        QDir().mkpath(QFileInfo(Laufzeit().AutostartLink).absolutePath());
        QFile fremd(Laufzeit().AutostartLink);
        QVERIFY(fremd.open(QIODevice::WriteOnly));
        fremd.write("[Desktop Entry]\nfremd\n");
        fremd.close();
        form->hide();
        form->show();
        QVERIFY(Innen(*form).Cb1Autostart->isChecked());
        QFile wieder(Laufzeit().AutostartLink);
        QVERIFY(wieder.open(QIODevice::ReadOnly));
        QCOMPARE(wieder.readAll(), QByteArray("[Desktop Entry]\nfremd\n"));

        // The user clicks the desktop box: the launcher is written, and removed again.
        Innen(*form).Cb1Desktop->setFocus();
        Innen(*form).Cb1Desktop->click();
        QVERIFY(QFile::exists(Laufzeit().DesktopLink));
        Innen(*form).Cb1Desktop->click();
        QVERIFY(!QFile::exists(Laufzeit().DesktopLink));
        // A read-only autostart entry still goes when the user unticks the box.
        QFile(Laufzeit().AutostartLink).setPermissions(QFile::ReadOwner);
        Innen(*form).Cb1Autostart->setFocus();
        Innen(*form).Cb1Autostart->click();
        QVERIFY(!QFile::exists(Laufzeit().AutostartLink));

        // The program file gone while it runs: no entry that starts nothing, and the user is told.
        QVERIFY(QFile::remove(Laufzeit().ProgrammDatei));
        Innen(*form).Cb1Autostart->click();
        QVERIFY(!QFile::exists(Laufzeit().AutostartLink));
        QVERIFY(!Innen(*form).Cb1Autostart->isChecked());
        QCOMPARE(FUmgebung->Meldungen.Arten, QList<Meldungen::TArt>{Meldungen::TArt::Fehler});
        QVERIFY(FUmgebung->Meldungen.Texte.value(0).contains("„" + Laufzeit().ProgrammDatei + "“"));
    }
};

QTEST_MAIN(TstFensterEinstellungen)
#include "tst_fenstereinstellungen.moc"
