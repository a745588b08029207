#include "EditorSkript.h"
#include "schedule/TZeitEditor.h"

#include <QTest>

class TstZeitEditor : public QObject {
    Q_OBJECT

    int FPiepe = 0;

    std::unique_ptr<TZeitEditor> Neu(QTime zeit) {
        auto e = std::make_unique<TZeitEditor>(
            [this] { ++FPiepe; }, [] { return QDateTime(QDate(2026, 12, 7), QTime(14, 35, 12)); });
        e->SetZeit(zeit);
        return e;
    }

private slots:
    void init() { FPiepe = 0; }

    void anfang() {
        TZeitEditor e({}, [] { return QDateTime(QDate(2026, 12, 7), QTime(14, 35, 12)); });
        QCOMPARE(e.Text(), QStringLiteral("14:35 "));
        QCOMPARE(e.MarkiereNr(), 1);
        QCOMPARE(e.SelText(), QStringLiteral("14"));
        QCOMPARE(e.GesetzteZeit(), QTime(14, 35, 12));
        QCOMPARE(e.Zeit(), QTime(14, 35)); // seconds are not shown and not read back
    }

    void skript_data() {
        QTest::addColumn<QTime>("start");
        QTest::addColumn<int>("teil");
        QTest::addColumn<QString>("skript");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("teilDanach");
        QTest::addColumn<int>("piepe");
        QTest::addColumn<QTime>("zeit");

        const QTime t(14, 35);
        QTest::newRow("hours complete, minutes marked") << t << 1 << "09"
                                                        << "09:35 " << 2 << 0 << QTime(9, 35);
        QTest::newRow("hours 25 become 23") << t << 1 << "25"
                                            << "23:35 " << 2 << 0 << QTime(23, 35);
        QTest::newRow("7_ and leaving gives 07") << t << 1 << "7R"
                                                 << "07:35 " << 2 << 0 << QTime(7, 35);
        QTest::newRow("minutes 75 show until read") << t << 2 << "75"
                                                    << "14:75 " << 2 << 0 << QTime(14, 59);
        QTest::newRow("third minute digit beeps") << t << 2 << "123"
                                                  << "14:12 " << 2 << 1 << QTime(14, 12);
        QTest::newRow("zero hours are valid") << t << 1 << "0R"
                                              << "00:35 " << 2 << 0 << QTime(0, 35);
        QTest::newRow("Backspace and leaving restores") << t << 2 << "BL"
                                                        << "14:35 " << 1 << 0 << t;
        QTest::newRow("Backspace read restores") << t << 1 << "B"
                                                 << "__:35 " << 1 << 0 << t;
        QTest::newRow("Left in the hours") << t << 1 << "L"
                                           << "14:35 " << 1 << 0 << t;
        QTest::newRow("Right in the minutes") << t << 2 << "R"
                                              << "14:35 " << 2 << 0 << t;
        QTest::newRow("hours up at 23 jump to 0") << QTime(23, 50) << 1 << "U"
                                                  << "00:50 " << 1 << 0 << QTime(0, 50);
        QTest::newRow("hours down at 0 jump to 23") << QTime(0, 10) << 1 << "D"
                                                    << "23:10 " << 1 << 0 << QTime(23, 10);
        QTest::newRow("page up from 20 gives 0, not 2") << QTime(20, 5) << 1 << "P"
                                                        << "00:05 " << 1 << 0 << QTime(0, 5);
        QTest::newRow("page down from 3 gives 23") << QTime(3, 5) << 1 << "N"
                                                   << "23:05 " << 1 << 0 << QTime(23, 5);
        QTest::newRow("minutes 57 plus 6 give 0") << QTime(8, 57) << 2 << "P"
                                                  << "08:00 " << 2 << 0 << QTime(8, 0);
        QTest::newRow("minutes 3 minus 6 give 59") << QTime(8, 3) << 2 << "N"
                                                   << "08:59 " << 2 << 0 << QTime(8, 59);
        QTest::newRow("minutes up") << QTime(8, 3) << 2 << "U"
                                    << "08:04 " << 2 << 0 << QTime(8, 4);
        QTest::newRow("typed part repaired before the step") << t << 1 << "3U"
                                                             << "04:35 " << 1 << 0 << QTime(4, 35);
        QTest::newRow("Home and End") << t << 1 << "EH"
                                      << "14:35 " << 1 << 0 << t;
    }
    void skript() {
        QFETCH(QTime, start);
        QFETCH(int, teil);
        QFETCH(QString, skript);
        QFETCH(QString, text);
        QFETCH(int, teilDanach);
        QFETCH(int, piepe);
        QFETCH(QTime, zeit);

        auto e = Neu(start);
        e->SetMarkiereNr(teil);
        SkriptAusfuehren(*e, skript);
        QCOMPARE(e->Text(), text);
        QCOMPARE(e->MarkiereNr(), teilDanach);
        QCOMPARE(FPiepe, piepe);
        QCOMPARE(e->Zeit(), zeit);
        QCOMPARE(e->Text().size(), 6);
    }

    void mausMarkiert() {
        auto e = Neu(QTime(14, 35));
        for (int stelle = 0; stelle <= 6; ++stelle) {
            e->SetMarkiereNr(stelle <= 2 ? 2 : 1);
            e->MausLoslassen(stelle, stelle, 0);
            QCOMPARE(e->MarkiereNr(), stelle <= 2 ? 1 : 2);
        }
    }

    void setzenBegrenzt() {
        auto e = Neu(QTime(14, 35));
        e->SetZeit(QTime());
        QCOMPARE(e->Zeit(), QTime(0, 0));
        e->SetZeit(QTime(23, 59, 59, 999));
        QCOMPARE(e->GesetzteZeit(), QTime(23, 59, 59));
        QCOMPARE(e->Text(), QStringLiteral("23:59 "));
    }
};

QTEST_GUILESS_MAIN(TstZeitEditor)
#include "tst_zeiteditor.moc"
