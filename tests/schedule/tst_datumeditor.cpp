#include "EditorSkript.h"
#include "schedule/TDatumEditor.h"

#include <QTest>

namespace {
const QDate Heute(2026, 12, 7); // a Monday
const QDate Ende(2100, 12, 31);
} // namespace

class TstDatumEditor : public QObject {
    Q_OBJECT

    int FPiepe = 0;

    // As the schedule dialog sets it up: today to 31.12.2100.
    std::unique_ptr<TDatumEditor> Neu(QDate min = Heute, QDate max = Ende) {
        auto e = std::make_unique<TDatumEditor>([this] { ++FPiepe; },
                                                [] { return QDateTime(Heute, QTime(12, 0)); });
        e->SetMinDatum(min);
        e->SetMaxDatum(max);
        return e;
    }

private slots:
    void init() { FPiepe = 0; }

    void anfang() {
        auto e = Neu();
        QCOMPARE(e->Text(), QStringLiteral("Mo, 07.12.2026 "));
        QCOMPARE(e->MarkiereNr(), 1);
        QCOMPARE(e->SelText(), QStringLiteral("07"));
        QCOMPARE(e->Gemerkt, QStringLiteral("07"));
    }

    // Typing, repairing and leaving parts: start date, limit, marked part, script; then the
    // text, the marked part, the selection, the beeps and the date read.
    void skript_data() {
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QDate>("min");
        QTest::addColumn<int>("teil");
        QTest::addColumn<QString>("skript");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("teilDanach");
        QTest::addColumn<QString>("auswahl");
        QTest::addColumn<int>("piepe");
        QTest::addColumn<QDate>("datum");

        const QDate d = Heute;
        QTest::newRow("first digit waits for the second") << d << d << 1 << "2"
                                                          << "Mo, 2_.12.2026 " << 1 << "" << 0 << d;
        QTest::newRow("second digit completes, day name follows")
            << d << d << 1 << "25"
            << "Fr, 25.12.2026 " << 2 << "12" << 0 << QDate(2026, 12, 25);
        QTest::newRow("one digit and Right pads") << d << d << 1 << "4R"
                                                  << "Fr, 04.12.2026 " << 2 << "12" << 0 << d;
        QTest::newRow("Backspace and leaving restores") << d << d << 1 << "BR"
                                                        << "Mo, 07.12.2026 " << 2 << "12" << 0 << d;
        QTest::newRow("Backspace shows placeholders") << d << d << 1 << "B"
                                                      << "Mo, __.12.2026 " << 1 << "__" << 0 << d;
        QTest::newRow("Backspace in the year") << d << d << 3 << "B"
                                               << "Mo, 07.12.____ " << 3 << "____" << 0 << d;
        QTest::newRow("zero restores") << d << d << 1 << "00"
                                       << "Mo, 07.12.2026 " << 2 << "12" << 0 << d;
        QTest::newRow("day 45 becomes 31") << d << d << 1 << "45"
                                           << "Do, 31.12.2026 " << 2 << "12" << 0 << QDate(2026, 12, 31);
        QTest::newRow("31 April stays, reads as the 30th")
            << QDate(2027, 4, 7) << d << 1 << "31"
            << "Mi, 31.04.2027 " << 2 << "04" << 0 << QDate(2027, 4, 30);
        QTest::newRow("30 February reads as the 28th, also in a leap year")
            << QDate(2028, 2, 7) << d << 1 << "30"
            << "Mo, 30.02.2028 " << 2 << "02" << 0 << QDate(2028, 2, 28);
        QTest::newRow("month 13 becomes 12") << QDate(2027, 1, 5) << d << 2 << "13"
                                             << "So, 05.12.2027 " << 3 << "2027" << 0 << QDate(2027, 12, 5);
        QTest::newRow("fifth year digit beeps") << QDate(2027, 3, 1) << d << 3 << "20289"
                                                << "Mo, 01.03.2028 " << 3 << "" << 1 << QDate(2028, 3, 1);
        QTest::newRow("short year gets zeros appended")
            << QDate(2027, 3, 1) << QDate(1, 1, 1) << 3 << "21C"
            << "Mo, 01.03.2100 " << 3 << "2100" << 0 << QDate(2100, 3, 1);
        QTest::newRow("year above the limit") << QDate(2027, 3, 1) << d << 3 << "2222C"
                                              << "Mo, 01.03.2100 " << 3 << "2100" << 0 << QDate(2100, 3, 1);
        QTest::newRow("day name takes no digits") << d << d << 0 << "5B"
                                                  << "Mo, 07.12.2026 " << 0 << "Mo" << 0 << d;
        QTest::newRow("Left in the day name") << d << d << 0 << "L"
                                              << "Mo, 07.12.2026 " << 0 << "Mo" << 0 << d;
        QTest::newRow("Right in the year") << d << d << 3 << "R"
                                           << "Mo, 07.12.2026 " << 3 << "2026" << 0 << d;
        QTest::newRow("Home") << d << d << 2 << "H"
                              << "Mo, 07.12.2026 " << 0 << "Mo" << 0 << d;
        QTest::newRow("End") << d << d << 1 << "E"
                             << "Mo, 07.12.2026 " << 3 << "2026" << 0 << d;
        QTest::newRow("other characters dropped") << d << d << 1 << "a-. "
                                                  << "Mo, 07.12.2026 " << 1 << "07" << 0 << d;
        QTest::newRow("Delete does nothing") << d << d << 1 << "X"
                                             << "Mo, 07.12.2026 " << 1 << "07" << 0 << d;
    }
    void skript() {
        QFETCH(QDate, start);
        QFETCH(QDate, min);
        QFETCH(int, teil);
        QFETCH(QString, skript);
        QFETCH(QString, text);
        QFETCH(int, teilDanach);
        QFETCH(QString, auswahl);
        QFETCH(int, piepe);
        QFETCH(QDate, datum);

        auto e = Neu(min);
        e->SetDatum(start);
        e->SetMarkiereNr(teil);
        SkriptAusfuehren(*e, skript);
        QCOMPARE(e->Text(), text);
        QCOMPARE(e->MarkiereNr(), teilDanach);
        QCOMPARE(e->SelText(), auswahl);
        QCOMPARE(FPiepe, piepe);
        QCOMPARE(e->Datum(), datum);
        QCOMPARE(e->Text().size(), 15); // the pattern never breaks
    }

    void jahrUnterGrenzeBisZumLesen() {
        auto e = Neu();
        e->SetDatum(QDate(2027, 3, 1));
        e->SetMarkiereNr(3);
        SkriptAusfuehren(*e, QStringLiteral("1999"));
        QCOMPARE(e->Text(), QStringLiteral("Mo, 01.03.1999 "));
        QCOMPARE(FPiepe, 0);
        QCOMPARE(e->Datum(), Heute); // 01.03.2026 is before the limit
        QCOMPARE(e->Text(), QStringLiteral("So, 01.03.2026 "));
    }

    // Steps with the up-down (U/D) and the page keys (P/N): start, limits, part, script, result.
    void schritte_data() {
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QDate>("max");
        QTest::addColumn<int>("teil");
        QTest::addColumn<QString>("skript");
        QTest::addColumn<QDate>("datum");

        const QDate d = Heute;
        QTest::newRow("day up") << QDate(2027, 5, 30) << Ende << 1 << "U" << QDate(2027, 5, 31);
        QTest::newRow("day up at the 31st stays")
            << QDate(2027, 5, 31) << Ende << 1 << "U" << QDate(2027, 5, 31);
        QTest::newRow("day up at 29 February 2028 stays")
            << QDate(2028, 2, 29) << Ende << 1 << "U" << QDate(2028, 2, 29);
        QTest::newRow("day down at the 1st stays")
            << QDate(2027, 5, 1) << Ende << 1 << "D" << QDate(2027, 5, 1);
        QTest::newRow("day down at the limit stays") << d << Ende << 1 << "D" << d;
        QTest::newRow("day up at the upper limit stays")
            << QDate(2027, 5, 10) << QDate(2027, 5, 10) << 1 << "U" << QDate(2027, 5, 10);
        QTest::newRow("page on the day steps by one")
            << QDate(2027, 5, 10) << Ende << 1 << "P" << QDate(2027, 5, 11);
        QTest::newRow("page up adds a week across the year")
            << QDate(2026, 12, 28) << Ende << 0 << "P" << QDate(2027, 1, 4);
        QTest::newRow("page up not beyond the limit")
            << QDate(2026, 12, 28) << QDate(2027, 1, 2) << 0 << "P" << QDate(2027, 1, 2);
        QTest::newRow("page down not before the limit") << QDate(2026, 12, 10) << Ende << 0 << "N" << d;
        QTest::newRow("day name up by one") << QDate(2027, 1, 31) << Ende << 0 << "U" << QDate(2027, 2, 1);
        QTest::newRow("month up from 31 January")
            << QDate(2027, 1, 31) << Ende << 2 << "U" << QDate(2027, 2, 28);
        QTest::newRow("month up in December stays")
            << QDate(2027, 12, 5) << Ende << 2 << "U" << QDate(2027, 12, 5);
        QTest::newRow("month down in the limit's month stays")
            << QDate(2026, 12, 20) << Ende << 2 << "D" << QDate(2026, 12, 20);
        QTest::newRow("month down") << QDate(2027, 3, 31) << Ende << 2 << "D" << QDate(2027, 2, 28);
        QTest::newRow("year down in the limit's year gives the limit")
            << QDate(2026, 12, 31) << Ende << 3 << "D" << d;
        QTest::newRow("year up in the limit's year gives the limit")
            << QDate(2100, 2, 1) << Ende << 3 << "U" << Ende;
        QTest::newRow("year up from 29 February")
            << QDate(2028, 2, 29) << Ende << 3 << "U" << QDate(2029, 2, 28);
        QTest::newRow("year down into the limit's year is held")
            << QDate(2027, 3, 1) << Ende << 3 << "D" << d;
    }
    void schritte() {
        QFETCH(QDate, start);
        QFETCH(QDate, max);
        QFETCH(int, teil);
        QFETCH(QString, skript);
        QFETCH(QDate, datum);

        auto e = Neu(Heute, max);
        e->SetDatum(start);
        e->SetMarkiereNr(teil);
        SkriptAusfuehren(*e, skript);
        QCOMPARE(e->Datum(), datum);
        QCOMPARE(e->Text(), TDatumEditor::FeldText(datum));
        QCOMPARE(e->MarkiereNr(), teil); // stepping keeps the part
        QCOMPARE(FPiepe, 0);
    }

    void schrittReparierAnfangs() {
        // The part being typed is repaired before it is stepped.
        auto e = Neu();
        e->SetDatum(QDate(2027, 6, 10));
        SkriptAusfuehren(*e, QStringLiteral("2U"));
        QCOMPARE(e->Datum(), QDate(2027, 6, 3));
    }

    void mausMarkiertTeilAmCaret_data() {
        QTest::addColumn<int>("stelle");
        QTest::addColumn<int>("teil");
        const int erwartet[16] = {0, 0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 3, 3, 3};
        for (int i = 0; i < 16; ++i)
            QTest::addRow("%d", i) << i << erwartet[i];
    }
    void mausMarkiertTeilAmCaret() {
        QFETCH(int, stelle);
        QFETCH(int, teil);
        auto e = Neu();
        e->SetMarkiereNr(teil == 2 ? 3 : 2); // start elsewhere
        e->MausLoslassen(stelle, stelle, 0);
        QCOMPARE(e->MarkiereNr(), teil);
        QCOMPARE(e->SelText(), e->Text().mid(teil == 0   ? 0
                                             : teil == 1 ? 4
                                             : teil == 2 ? 7
                                                         : 10,
                                             teil == 3 ? 4 : 2));
    }

    void mausImMarkiertenTeilLaesstCaret() {
        auto e = Neu();
        e->MausLoslassen(5, 5, 0);
        QCOMPARE(e->MarkiereNr(), 1);
        QCOMPARE(e->SelLaenge(), 0);
        QCOMPARE(e->Caret(), 5);
    }

    void ziehenGibtAuswahlAuf() {
        // A drag or double click selects something other than the part: it is given up.
        auto e = Neu();
        e->MausLoslassen(5, 4, 1);
        QCOMPARE(e->MarkiereNr(), 1);
        QCOMPARE(e->SelLaenge(), 0);
        QCOMPARE(e->Caret(), 5);
        e->MausLoslassen(8, 2, 6);
        QCOMPARE(e->MarkiereNr(), 2);
        QCOMPARE(e->SelText(), QStringLiteral("12"));
        // Whatever is selected, typing stays inside the marked part.
        e->SetzeAuswahl(3, 9);
        SkriptAusfuehren(*e, QStringLiteral("1"));
        QCOMPARE(e->Text(), QStringLiteral("Mo, 07.1_.2026 "));
    }

    void grenzen() {
        auto e = Neu();
        e->SetDatum(QDate(2200, 1, 1));
        QCOMPARE(e->Datum(), Ende);
        e->SetDatum(Heute.addDays(-1));
        QCOMPARE(e->Datum(), Heute);
        e->SetDatum(QDate());
        QCOMPARE(e->Datum(), Heute);
        // Raising the lower limit above the value moves the value.
        e->SetDatum(QDate(2027, 1, 1));
        e->SetMinDatum(QDate(2027, 6, 1));
        QCOMPARE(e->Datum(), QDate(2027, 6, 1));
        e->SetMinDatum(QDate(2027, 1, 1));
        QCOMPARE(e->Datum(), QDate(2027, 6, 1)); // lowering it does not
        e->SetMaxDatum(QDate(2027, 3, 1));
        QCOMPARE(e->Datum(), QDate(2027, 3, 1));
    }

    void nurLesenPiept() {
        auto e = Neu();
        e->NurLesenS = true;
        SkriptAusfuehren(*e, QStringLiteral("1BUDPNX"));
        QCOMPARE(FPiepe, 7);
        QCOMPARE(e->Text(), QStringLiteral("Mo, 07.12.2026 "));
        SkriptAusfuehren(*e, QStringLiteral("RLHE")); // moving between parts is allowed
        QCOMPARE(FPiepe, 7);
    }
};

QTEST_GUILESS_MAIN(TstDatumEditor)
#include "tst_datumeditor.moc"
