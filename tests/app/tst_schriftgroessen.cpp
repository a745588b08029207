// Every window at 12, 24 and 36 points on the screen the test runs with (CTest runs it on
// 1280x800 and on 1024x768): nothing overlaps, every caption fits its control, every window
// stays inside the work area, and at 12 points on a wide screen the layout rules hold as
// they are.
#include "app/TForm1.h"
#include "common/ResConst.h"
#include "schedule/TZeitDlg.h"
#include "support/TForm1Innen.h"
#include "support/TestUmgebung.h"
#include "ui/Layout.h"
#include "ui/Pruefhilfen.h"
#include "ui/THintergrundForm.h"
#include "ui/TNameDlg.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QSettings>
#include <QStatusBar>

namespace {

// What the view cuts off of its headers and cells, and rows lower than a line.
QString ListeAbgeschnitten(const TListView* liste) {
    const QFontMetrics fm(liste->font());
    const int rand = liste->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, liste) + 1;
    const int kopfRand = liste->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, liste);
    for (int s = 0; s < liste->columnCount(); ++s) {
        const QString kopf = liste->horizontalHeaderItem(s)->text();
        if (fm.horizontalAdvance(kopf) + 2 * kopfRand > liste->columnWidth(s))
            return QString("Kopf %1 in %2 px").arg(kopf).arg(liste->columnWidth(s));
        for (int z = 0; z < liste->rowCount(); ++z) {
            const QString text = liste->item(z, s)->text();
            const QRect zelle = liste->visualRect(liste->model()->index(z, s));
            // The view elides by the exact, fractional width.
            if (QFontMetricsF(liste->font()).horizontalAdvance(text) > zelle.width() - 2 * rand)
                return QString("Zelle %1 in %2 px").arg(text).arg(zelle.width());
            if (fm.height() > zelle.height())
                return QString("Zeile %1 ist %2 px hoch, die Schrift %3")
                    .arg(z)
                    .arg(zelle.height())
                    .arg(fm.height());
        }
    }
    return {};
}

QString ErsterFehler(const QStringList& fehler) {
    for (const QString& f : fehler)
        if (!f.isEmpty())
            return f;
    return {};
}

} // namespace

class TstSchriftgroessen : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestUmgebung> FUmgebung;
    std::unique_ptr<TForm1> FForm;

    bool BreiterBildschirm() const {
        return QGuiApplication::primaryScreen()->availableGeometry().width() >= 1280;
    }

private slots:
    void init() {
        QFETCH(int, punkte);
        FUmgebung = std::make_unique<TTestUmgebung>();
        FUmgebung->NetzEinrichten();
        const QString konf = FUmgebung->Fake().Basis() + "/config/Veltrano/Veltrano.conf";
        QDir().mkpath(QFileInfo(konf).absolutePath());
        {
            QSettings s(konf, QSettings::IniFormat);
            s.setValue("FontSize", punkte);
        }
        QDir().mkpath(QFileInfo(Laufzeit().HostlisteDatei).absolutePath());
        QFile f(Laufzeit().HostlisteDatei);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("schlaefer|anna|10.77.0.200|02-77-00-00-00-C8\r\n"
                "Wohnzimmer-PC|Maximilian|192.168.178.254|02-77-00-00-00-01\r\n"
                "pc2|root|10.77.0.2|02-77-00-00-00-02\r\n");
        f.close();
        FForm = FormStarten({});
        QVERIFY(FForm->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(FForm.get()));
        // The window system reports the window's final size asynchronously.
        QTRY_COMPARE(FForm->frameGeometry().size(), FForm->screen()->availableGeometry().size());
        QCoreApplication::processEvents();
        QCOMPARE(Innen(*FForm).ProgrammSchrift().Font.pointSize(), punkte);
    }
    void cleanup() {
        FForm.reset();
        FUmgebung.reset();
    }

    void hauptfenster_data() { Groessen(); }
    void hauptfenster() {
        QFETCH(int, punkte);
        TForm1Innen f(*FForm);
        QVERIFY2(AusserhalbDesArbeitsbereichs(&f.F).isEmpty(),
                 qPrintable(AusserhalbDesArbeitsbereichs(&f.F)));
        const QList<const QWidget*> teile = {f.ListView1,  f.Cb1Desktop,     f.Cb1Autostart,
                                             f.Cb1Scanner, f.Btn1Minimieren, f.Btn1Beenden};
        const QString fehler = ErsterFehler(
            {UeberlappungOderAussen(f.F.centralWidget(), teile), AbgeschnittenerText(f.Cb1Desktop),
             AbgeschnittenerText(f.Cb1Autostart), AbgeschnittenerText(f.Cb1Scanner),
             AbgeschnittenerText(f.Btn1Minimieren), AbgeschnittenerText(f.Btn1Beenden),
             AbgeschnittenerText(f.StatusBar1Panel), ListeAbgeschnitten(f.ListView1)});
        QVERIFY2(fehler.isEmpty(), qPrintable(fehler));
        // Controls grow with the font.
        QCOMPARE(f.Btn1Beenden->height(), QFontMetrics(f.Btn1Beenden->font()).height() + 12);
        QCOMPARE(f.Cb1Scanner->height(), QFontMetrics(f.Cb1Scanner->font()).height() + 8);
        QCOMPARE(f.StatusBar1->height(), QFontMetrics(f.StatusBar1->font()).height() + 6);
        QCOMPARE(f.F.centralWidget()->geometry().bottom() + 1, f.StatusBar1->y());
        // The list keeps room for rows, and scrolls sideways only when its columns need it.
        QVERIFY(f.ListView1->viewport()->height() >= 4 * f.ListView1->rowHeight(0));
        int bedarf = 0;
        for (int s = 0; s < 6; ++s)
            bedarf += f.ListView1->SpaltenBedarf(s);
        QCOMPARE(f.ListView1->horizontalScrollBar()->isVisible(), bedarf > f.ListView1->viewport()->width());
        if (punkte == 12)
            QVERIFY(!f.ListView1->horizontalScrollBar()->isVisible());

        if (punkte != 12 || !BreiterBildschirm())
            return;
        // The rules as they are: buttons 125 wide, three check boxes in the button row.
        const int cw = f.F.centralWidget()->width();
        QCOMPARE(f.Btn1Beenden->geometry(),
                 QRect(cw - 135, f.Btn1Beenden->y(), 125, f.Btn1Beenden->height()));
        QCOMPARE(f.Btn1Minimieren->geometry(), f.Btn1Beenden->geometry().translated(-130, 0));
        QCOMPARE(f.Btn1Beenden->y(), f.F.centralWidget()->height() - 10 - f.Btn1Beenden->height());
        QCOMPARE(f.ListView1->geometry(), QRect(10, 10, cw - 20, f.Btn1Beenden->y() - 20));
        // The boxes fill the room left of the buttons, 5 pixels apart, the first two 44 % of it
        // each, all three centred on the buttons.
        const int raum = f.Btn1Minimieren->x() - 30;
        const QRect d = f.Cb1Desktop->geometry(), a = f.Cb1Autostart->geometry(),
                    s = f.Cb1Scanner->geometry();
        QVERIFY(qAbs(d.width() - 0.44 * raum) < 1 && a.width() == d.width());
        QCOMPARE(d.left(), 10);
        QCOMPARE(a.left(), d.right() + 1 + 5);
        QCOMPARE(s.left(), a.right() + 1 + 5);
        QCOMPARE(s.right() + 1 + 10, f.Btn1Minimieren->x());
        for (const QRect& r : {d, a, s})
            QVERIFY(qAbs(r.center().y() - f.Btn1Beenden->geometry().center().y()) <= 1);
        // Columns of a sixth each (to a few pixels) fill the viewport.
        int summe = 0;
        for (int spalte = 0; spalte < 6; ++spalte) {
            QVERIFY(qAbs(f.ListView1->columnWidth(spalte) - f.ListView1->width() / 6) <= 6);
            summe += f.ListView1->columnWidth(spalte);
        }
        QCOMPARE(summe, f.ListView1->viewport()->width());
    }

    void hintergrunddialog_data() { Groessen(); }
    void hintergrunddialog() {
        QFETCH(int, punkte);
        THintergrundForm* d = Innen(*FForm).HintergrundForm;
        d->SchriftartZuweisen(Innen(*FForm).ProgrammSchrift(), Innen(*FForm).Hintergrund());
        d->SetHintergrundNr(18);
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d));
        const QString fehler =
            ErsterFehler({AusserhalbDesArbeitsbereichs(d),
                          UeberlappungOderAussen(d, {d->ListBox1, d->Button1, d->Button2}),
                          AbgeschnittenerText(d->Button1), AbgeschnittenerText(d->Button2)});
        QVERIFY2(fehler.isEmpty(), qPrintable(fehler));
        const QFontMetrics fm(d->ListBox1->font());
        for (int i = 0; i < d->ListBox1->count(); ++i)
            QVERIFY(fm.horizontalAdvance(d->ListBox1->item(i)->text()) < d->ListBox1->viewport()->width());
        // The chosen colour is in sight, also when the list had to get shorter.
        QVERIFY(d->ListBox1->viewport()->rect().contains(d->ListBox1->visualItemRect(d->ListBox1->item(18))));
        QVERIFY(d->ListBox1->viewport()->height() >= 3 * fm.height());
        const bool regelPasst =
            20 * fm.height() + 30 + d->Button1->height() <=
            d->screen()->availableGeometry().height() - (d->frameGeometry().height() - d->height());
        QCOMPARE(d->ListBox1->height() == 20 * fm.height(), regelPasst);
        if (punkte == 12)
            QVERIFY(regelPasst);
        d->hide();
    }

    void namensdialog_data() { Groessen(); }
    void namensdialog() {
        QFETCH(int, punkte);
        TNameDlg d(Innen(*FForm).ProgrammSchrift(), Innen(*FForm).Hintergrund(), FForm.get());
        d.setWindowTitle("Benutzername ändern");
        d.LeName->setText("Wohnzimmer-PC");
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        const QString fehler =
            ErsterFehler({AusserhalbDesArbeitsbereichs(&d),
                          UeberlappungOderAussen(&d, {d.LeNameLabel, d.LeName, d.Btn1Ok, d.Btn2Abbrechen}),
                          AbgeschnittenerText(d.LeNameLabel), AbgeschnittenerText(d.Btn1Ok),
                          AbgeschnittenerText(d.Btn2Abbrechen)});
        QVERIFY2(fehler.isEmpty(), qPrintable(fehler));
        // However narrow the edit gets, a usual name shows whole.
        QVERIFY(QFontMetrics(d.LeName->font()).horizontalAdvance("Wohnzimmer-PC") < d.LeName->width() - 8);
        if (punkte == 12) {
            QCOMPARE(d.Btn1Ok->width(), 125);
            QCOMPARE(d.width(), 625);
        }
    }

    void zeitsteuerungsdialog_data() { Groessen(); }
    void zeitsteuerungsdialog() {
        QFETCH(int, punkte);
        TZeitDlg* d = Innen(*FForm).ZeitDlg;
        d->setWindowTitle(TZeitDlg::Titel("Wohnzimmer-PC"));
        d->FelderSetzen({TZeitsteuerungAktion::akHerunterfahren, false, QDate(2088, 8, 28), QTime(23, 58)});
        d->SchriftartZuweisen(Innen(*FForm).ProgrammSchrift(), Innen(*FForm).Hintergrund());
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d));
        QList<const QWidget*> teile = {
            d->Rg1Aktion,  d->Cb1JedenTag,          d->DatePicker, d->DatePicker->UpDown(), d->Lbl1Zeit,
            d->TimePicker, d->TimePicker->UpDown(), d->Btn1Ok,     d->Btn2Abbrechen};
        QStringList pruefungen = {AusserhalbDesArbeitsbereichs(d),      UeberlappungOderAussen(d, teile),
                                  AbgeschnittenerText(d->Rg1Aktion),    AbgeschnittenerText(d->Cb1JedenTag),
                                  AbgeschnittenerText(d->Lbl1Zeit),     AbgeschnittenerText(d->Btn1Ok),
                                  AbgeschnittenerText(d->Btn2Abbrechen)};
        for (int i = 0; i < d->Rg1Aktion->Anzahl(); ++i) {
            pruefungen << AbgeschnittenerText(d->Rg1Aktion->Item(i));
            if (!d->Rg1Aktion->contentsRect().contains(d->Rg1Aktion->Item(i)->geometry()))
                pruefungen << d->Rg1Aktion->Item(i)->text() + " liegt ausserhalb der Gruppe";
        }
        const QString fehler = ErsterFehler(pruefungen);
        QVERIFY2(fehler.isEmpty(), qPrintable(fehler));
        const QFontMetrics fm(d->DatePicker->font());
        QVERIFY(fm.horizontalAdvance(d->DatePicker->text().trimmed()) + 8 <= d->DatePicker->width());
        QVERIFY(fm.horizontalAdvance(d->TimePicker->text().trimmed()) + 8 <= d->TimePicker->width());
        // The label stays with its field: left of it on the same line.
        QCOMPARE(d->Lbl1Zeit->geometry().center().y() / 2, d->TimePicker->geometry().center().y() / 2);
        QCOMPARE(d->TimePicker->x(), d->Lbl1Zeit->geometry().right() + 1 + 5);
        if (punkte == 12) {
            // One row beside the group, as the rules have it.
            QCOMPARE(d->DatePicker->y(), d->Cb1JedenTag->y());
            QCOMPARE(d->DatePicker->x(), d->Cb1JedenTag->geometry().right() + 1 + 10);
            QCOMPARE(d->Btn1Ok->width(), 125);
        }
        d->hide();
    }

private:
    void Groessen() {
        QTest::addColumn<int>("punkte");
        for (int p : {12, 24, 36})
            QTest::addRow("%d Punkte", p) << p;
    }
};

QTEST_MAIN(TstSchriftgroessen)
#include "tst_schriftgroessen.moc"
