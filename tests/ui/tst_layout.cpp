// The shared width arithmetic of the layouts: sharing a row among controls, and rows.
#include "ui/Layout.h"

#include <QScreen>
#include <QTest>
#include <QWidget>

class TstLayout : public QObject {
    Q_OBJECT

private slots:
    void breitenVerteilen_data() {
        QTest::addColumn<QList<int>>("wunsch");
        QTest::addColumn<QList<int>>("bedarf");
        QTest::addColumn<int>("platz");
        QTest::addColumn<QList<int>>("erwartet"); // empty: does not fit
        QTest::newRow("Wuensche reichen")
            << QList<int>{220, 220, 61} << QList<int>{200, 150, 60} << 501 << QList<int>{220, 220, 61};
        QTest::newRow("Letzte borgt von beiden")
            << QList<int>{100, 100, 20} << QList<int>{50, 50, 60} << 220 << QList<int>{80, 80, 60};
        QTest::newRow("nach Spielraum, Rest vom letzten")
            << QList<int>{100, 100, 20} << QList<int>{49, 50, 61} << 220 << QList<int>{80, 79, 61};
        QTest::newRow("nach Spielraum verteilt")
            << QList<int>{100, 100, 20} << QList<int>{120, 80, 10} << 220 << QList<int>{120, 87, 13};
        QTest::newRow("nur die mit Spielraum gibt ab")
            << QList<int>{100, 100, 20} << QList<int>{110, 100, 10} << 220 << QList<int>{110, 100, 10};
        QTest::newRow("genau der Bedarf")
            << QList<int>{100, 100, 20} << QList<int>{150, 40, 30} << 220 << QList<int>{150, 40, 30};
        QTest::newRow("zu wenig Platz")
            << QList<int>{100, 100, 20} << QList<int>{100, 100, 21} << 220 << QList<int>{};
        QTest::newRow("Letzte nimmt den Rest")
            << QList<int>{10, 10, 10} << QList<int>{0, 0, 0} << 50 << QList<int>{10, 10, 30};
        QTest::newRow("eine allein") << QList<int>{300} << QList<int>{310} << 300 << QList<int>{};
    }
    void breitenVerteilen() {
        QFETCH(QList<int>, wunsch);
        QFETCH(QList<int>, bedarf);
        QFETCH(int, platz);
        QFETCH(QList<int>, erwartet);
        const auto breiten = BreitenVerteilen(wunsch, bedarf, platz);
        QCOMPARE(breiten.value_or(QList<int>{}), erwartet);
        if (breiten) {
            int summe = 0;
            for (int i = 0; i < breiten->size(); ++i) {
                QVERIFY((*breiten)[i] >= bedarf[i]);
                summe += (*breiten)[i];
            }
            QCOMPARE(summe, platz);
        }
    }

    void zeilenUmbrechen_data() {
        QTest::addColumn<QList<int>>("bedarf");
        QTest::addColumn<int>("breite");
        QTest::addColumn<QList<QList<int>>>("zeilen");
        QTest::newRow("knapp passt") << QList<int>{100, 100, 50} << 260 << QList<QList<int>>{{0, 1, 2}};
        QTest::newRow("Abstand zaehlt") << QList<int>{100, 100, 50} << 259 << QList<QList<int>>{{0, 1}, {2}};
        QTest::newRow("erste allein") << QList<int>{150, 100, 50} << 200 << QList<QList<int>>{{0}, {1, 2}};
        QTest::newRow("zu breit") << QList<int>{300, 50} << 200 << QList<QList<int>>{{0}, {1}};
        QTest::newRow("keine") << QList<int>{} << 200 << QList<QList<int>>{};
    }
    void zeilenUmbrechen() {
        QFETCH(QList<int>, bedarf);
        QFETCH(int, breite);
        QTEST(ZeilenUmbrechen(bedarf, breite, 5), "zeilen");
    }

    void zentriertePosition_data() {
        QTest::addColumn<QSize>("aussen");
        QTest::addColumn<QRect>("arbeit");
        QTest::addColumn<QPoint>("erwartet");
        const QRect schirm(0, 0, 1280, 800);
        QTest::newRow("ohne Leiste") << QSize(600, 400) << schirm << QPoint(340, 200);
        QTest::newRow("Leiste unten, Dialog passt mittig")
            << QSize(600, 400) << QRect(0, 0, 1280, 760) << QPoint(340, 200);
        QTest::newRow("Leiste unten, Dialog reicht darunter")
            << QSize(600, 740) << QRect(0, 0, 1280, 760) << QPoint(340, 20);
        QTest::newRow("Leiste oben") << QSize(600, 780) << QRect(0, 40, 1280, 760) << QPoint(340, 40);
        QTest::newRow("Leiste links") << QSize(1250, 400) << QRect(64, 0, 1216, 800) << QPoint(64, 200);
        QTest::newRow("groesser als der Arbeitsbereich")
            << QSize(1400, 900) << QRect(0, 30, 1280, 770) << QPoint(0, 30);
    }
    void zentriertePosition() {
        QFETCH(QSize, aussen);
        QFETCH(QRect, arbeit);
        QTEST(ZentriertePosition(aussen, QRect(0, 0, 1280, 800), arbeit), "erwartet");
    }

    void rahmenPlausibel_data() {
        QTest::addColumn<QMargins>("rahmen");
        QTest::addColumn<bool>("erwartet");
        QTest::newRow("openbox") << QMargins(1, 22, 1, 5) << true;
        QTest::newRow("ohne Fenstermanager") << QMargins() << true;
        QTest::newRow("1x1-Rahmen nach dem Umhaengen") << QMargins(0, 0, -1279, -743) << false;
        QTest::newRow("eine Seite negativ") << QMargins(-1, 22, 1, 5) << false;
        QTest::newRow("breiter als ein Viertel") << QMargins(200, 22, 200, 5) << false;
        QTest::newRow("hoeher als ein Viertel") << QMargins(1, 150, 1, 60) << false;
    }
    void rahmenPlausibel() {
        QFETCH(QMargins, rahmen);
        QTEST(RahmenPlausibel(rahmen, QSize(1280, 800)), "erwartet");
    }

    void nachRahmenNeuAnordnen() {
        // A window laid out to the whole work area before its frame was known: once the frame
        // is told, it is laid out again, and only then.
        QWidget fenster;
        int anordnungen = 0;
        const QRect arbeit = fenster.screen()->availableGeometry();
        NachRahmenNeuAnordnen(&fenster, [&] {
            ++anordnungen;
            fenster.setFixedSize(GroessteClientGroesse(&fenster));
            fenster.move(arbeit.topLeft());
        });
        fenster.setFixedSize(arbeit.size());
        fenster.move(arbeit.topLeft());
        fenster.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fenster));
        QTRY_VERIFY(arbeit.contains(fenster.frameGeometry()));
        QCOMPARE(anordnungen, 1);
        fenster.move(arbeit.topLeft() + QPoint(1, 1));
        QTest::qWait(20);
        QCOMPARE(anordnungen, 1);
    }

    void entferneAmpersand() {
        QCOMPARE(EntferneAmpersand("O&K"), QString("OK"));
        QCOMPARE(EntferneAmpersand("A&&B"), QString("AB"));
    }
};

QTEST_MAIN(TstLayout)
#include "tst_layout.moc"
