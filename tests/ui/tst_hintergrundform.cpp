#include "Pruefhilfen.h"
#include "support/TestUmgebung.h"
#include "ui/Farben.h"
#include "ui/THintergrundForm.h"

#include <QApplication>
#include <QFontMetrics>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace {
TProgrammSchrift Schrift(int punkte) {
    TProgrammSchrift s;
    s.Font = QFont("Arial");
    s.Font.setPointSize(punkte);
    return s;
}
} // namespace

class TstHintergrundForm : public QObject {
    Q_OBJECT

private slots:
    void texte() {
        THintergrundForm f;
        QCOMPARE(f.windowTitle(), "Schrifthintergrund wählen");
        QCOMPARE(f.Button1->text(), "OK"); // Qt's standard OK, no access key on the K
        QCOMPARE(f.Button2->text(), "&Abbrechen");
        QVERIFY(f.Button1->isDefault());
        QCOMPARE(f.ListBox1->count(), 19);
        QCOMPARE(f.ListBox1->item(0)->text(), "Schwarz");
        QCOMPARE(f.ListBox1->item(12)->text(), "Dunkelgrau");
        QCOMPARE(f.ListBox1->item(18)->text(), "Braun");
        QCOMPARE(f.Rand, 10);
    }

    void indexUndFarbe() {
        THintergrundForm f;
        f.SetHintergrundNr(12);
        QCOMPARE(f.HintergrundNr(), 12);
        QCOMPARE(f.HintergrundFarbe(), QColor(128, 128, 128)); // the same as "Grau"
        f.SetHintergrundNr(19);
        QCOMPARE(f.HintergrundNr(), 0);
        f.SetHintergrundNr(5);
        f.SetHintergrundNr(-1);
        QCOMPARE(f.HintergrundNr(), 0);
        QCOMPARE(f.HintergrundFarbe(), QColor(0, 0, 0));
    }

    void layout_data() {
        QTest::addColumn<int>("punkte");
        QTest::addColumn<int>("rand");
        QTest::newRow("12 Punkte") << 12 << 10;
        QTest::newRow("36 Punkte") << 36 << 10;
        QTest::newRow("12 Punkte, Rand 4") << 12 << 4;
    }
    void layout() {
        QFETCH(int, punkte);
        QFETCH(int, rand);
        THintergrundForm f(nullptr, rand);
        f.SchriftartZuweisen(Schrift(punkte), HintergrundFarbe(5));
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));

        // Buttons as wide as their captions need, with room to spare, both the same.
        const int b = f.Button1->width();
        const int h = QFontMetrics(f.Button1->font()).height() + 12;
        QCOMPARE(f.Button1->height(), h);
        QCOMPARE(f.Button2->size(), QSize(b, h));
        QCOMPARE(f.Button1->x(), rand);
        QCOMPARE(f.Button2->x(), 2 * rand + b);
        // As wide as the buttons need, or the title where that is wider (its bold system font).
        QFont titel = QApplication::font();
        titel.setBold(true);
        const int titelBreite = QFontMetrics(titel).horizontalAdvance(f.windowTitle());
        QVERIFY(f.width() >= titelBreite);
        QVERIFY(f.width() <= qMax(3 * rand + 2 * b, 2 * titelBreite));
        const int zeile = QFontMetrics(f.ListBox1->font()).height();
        // 20 lines, fewer only where the work area is too low for them (36 points on 800).
        const int rahmen = f.frameGeometry().height() - f.height();
        const int hoechstens = f.screen()->availableGeometry().height() - rahmen - 3 * rand - h;
        const int listHoehe = qMin(20 * zeile, hoechstens);
        if (punkte == 12)
            QCOMPARE(listHoehe, 20 * zeile);
        QCOMPARE(f.ListBox1->geometry(), QRect(rand, rand, f.width() - 2 * rand, listHoehe));
        QCOMPARE(f.Button1->y(), f.ListBox1->geometry().bottom() + 1 + rand);
        QCOMPARE(f.Button2->y(), f.Button1->y());
        QCOMPARE(f.height(), f.Button1->geometry().bottom() + 1 + rand);
        const QString fehler = UeberlappungOderAussen(&f, {f.ListBox1, f.Button1, f.Button2});
        QVERIFY2(fehler.isEmpty(), qPrintable(fehler));

        // Every colour name fits without scrolling where the list has its 20 lines, and the
        // captions fit their buttons.
        const QRect letzte = f.ListBox1->visualItemRect(f.ListBox1->item(18));
        QCOMPARE(letzte.bottom() < f.ListBox1->viewport()->height(), listHoehe == 20 * zeile);
        QVERIFY(QFontMetrics(f.Button2->font()).horizontalAdvance("Abbrechen") < b - 8);

        // Centred on the screen, never above or left of it, and inside it.
        QVERIFY(f.screen()->availableGeometry().contains(f.frameGeometry()));
        const QRect schirm = f.screen()->geometry();
        QCOMPARE(f.x(), qMax(0, (schirm.width() - f.frameGeometry().width()) / 2));
        QCOMPARE(f.y(), qMax(0, (schirm.height() - f.frameGeometry().height()) / 2));
    }

    void waechstMitDerSchrift() {
        THintergrundForm klein, gross;
        klein.SchriftartZuweisen(Schrift(12), Qt::white);
        gross.SchriftartZuweisen(Schrift(36), Qt::white);
        klein.SchalterEinrichten();
        gross.SchalterEinrichten();
        QVERIFY(gross.Button1->height() > klein.Button1->height() * 2);
        QVERIFY(gross.Button1->width() > klein.Button1->width() * 2);
        QVERIFY(gross.ListBox1->height() > klein.ListBox1->height() * 2);
        QCOMPARE(gross.ListBox1->font().pointSize(), 36);
        QCOMPARE(gross.ListBox1->palette().color(QPalette::Base), QColor(Qt::white));
    }

    void abbrechenStelltDieAuswahlWiederHer_data() {
        QTest::addColumn<QString>("weg");
        QTest::newRow("Esc") << "esc";
        QTest::newRow("Abbrechen") << "knopf";
        QTest::newRow("Schliessfeld") << "close";
    }
    void abbrechenStelltDieAuswahlWiederHer() {
        QFETCH(QString, weg);
        THintergrundForm f;
        f.SetHintergrundNr(3);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QCOMPARE(f.MerkItemIndex, 3);
        QTest::keyClick(f.ListBox1, Qt::Key_Down);
        QCOMPARE(f.HintergrundNr(), 4);
        if (weg == "esc")
            QTest::keyClick(f.ListBox1, Qt::Key_Escape);
        else if (weg == "knopf")
            f.Button2->click();
        else
            f.close();
        QCOMPARE(f.result(), int(QDialog::Rejected));
        QCOMPARE(f.HintergrundNr(), 3);
    }

    void okBehaeltDieAuswahl() {
        THintergrundForm f;
        f.SetHintergrundNr(3);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.ListBox1->setCurrentRow(12);
        QTest::keyClick(f.ListBox1, Qt::Key_Return);
        QCOMPARE(f.result(), int(QDialog::Accepted));
        QCOMPARE(f.HintergrundNr(), 12);
    }

    void waehlenUeberDieMeldungsstelle() {
        TTestUmgebung u;
        THintergrundForm f;
        f.SetHintergrundNr(1);
        u.Meldungen.DialogFueller = [](QDialog* d) {
            static_cast<THintergrundForm*>(d)->SetHintergrundNr(7);
        };
        u.Meldungen.Antworten({false, true});
        QCOMPARE(HintergrundWaehlen(&f, Schrift(14), Qt::yellow), std::nullopt);
        QCOMPARE(f.HintergrundNr(), 1);
        QCOMPARE(f.ListBox1->font().pointSize(), 14);
        QCOMPARE(HintergrundWaehlen(&f, Schrift(14), Qt::yellow), std::optional<int>(7));
        QCOMPARE(u.Meldungen.Texte, QStringList({"Schrifthintergrund wählen", "Schrifthintergrund wählen"}));
    }
};

QTEST_MAIN(TstHintergrundForm)
#include "tst_hintergrundform.moc"
