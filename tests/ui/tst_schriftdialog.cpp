#include "support/TestUmgebung.h"
#include "ui/Farben.h"
#include "settings/SchriftDialog.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QPushButton>
#include <QTest>

class TstSchriftDialog : public QObject {
    Q_OBJECT

    static TProgrammSchrift Start() {
        TProgrammSchrift s;
        s.Font = QFont("Arial");
        s.Font.setPointSize(12);
        s.Zeichensatz = 238;
        return s;
    }

private slots:
    void abbrechenAendertNichts() {
        TTestUmgebung u;
        TProgrammSchrift s = Start();
        u.Meldungen.DialogFueller = [](QDialog* d) {
            auto* f = qobject_cast<QFontDialog*>(d);
            QVERIFY(f);
            QVERIFY(f->testOption(QFontDialog::DontUseNativeDialog));
            f->setCurrentFont(QFont("Liberation Serif", 30));
        };
        u.Meldungen.Antworten({false});
        QVERIFY(!SchriftWaehlen(nullptr, s));
        QCOMPARE(s.Font.pointSize(), 12);
        QCOMPARE(s.Font.family(), "Arial");
        QCOMPARE(u.Meldungen.Texte, QStringList{"Schriftart"});
    }

    void okUebernimmtSchriftUndStil() {
        TTestUmgebung u;
        TProgrammSchrift s = Start();
        u.Meldungen.DialogFueller = [](QDialog* d) {
            QFont f("Liberation Serif");
            f.setPointSize(20);
            f.setBold(true);
            f.setUnderline(true);
            qobject_cast<QFontDialog*>(d)->setCurrentFont(f);
        };
        u.Meldungen.Antworten({true});
        QVERIFY(SchriftWaehlen(nullptr, s));
        QCOMPARE(s.Font.family(), "Liberation Serif");
        QCOMPARE(s.Font.pointSize(), 20);
        QVERIFY(s.Font.bold() && s.Font.underline());
        QVERIFY(!s.Font.italic() && !s.Font.strikeOut());
        QCOMPARE(s.FarbWert, FarbeFensterText); // no colour chosen: still the system's
        QCOMPARE(s.Zeichensatz, 238);
    }

    void farbeUeberDenFarbknopf() {
        TTestUmgebung u;
        TProgrammSchrift s = Start();
        u.Meldungen.DialogFueller = [](QDialog* d) {
            if (auto* farbe = qobject_cast<QColorDialog*>(d)) {
                farbe->setCurrentColor(QColor(0x12, 0x34, 0x56));
                return;
            }
            auto* knopf = d->findChild<QPushButton*>("FarbKnopf");
            QVERIFY(knopf);
            QCOMPARE(knopf->text(), "&Farbe...");
            knopf->click();
        };
        u.Meldungen.Antworten({true, true});
        QVERIFY(SchriftWaehlen(nullptr, s));
        QCOMPARE(s.FarbWert, 0x00563412u);
        QCOMPARE(s.Farbe(), QColor(0x12, 0x34, 0x56));
        QCOMPARE(u.Meldungen.Texte, QStringList({"Schriftart", "Schriftfarbe"}));
    }
};

QTEST_MAIN(TstSchriftDialog)
#include "tst_schriftdialog.moc"
