#include "schedule/Piep.h"
#include "schedule/TZeitDlg.h"
#include "schedule/TZeitsteuerung.h"
#include "support/TestUmgebung.h"

#include <QApplication>
#include <QClipboard>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QToolButton>

namespace {
QDateTime Uhr() {
    return QDateTime(QDate(2026, 12, 7), QTime(14, 35, 12));
}

// The x position in a line edit at which a click puts the caret at pos.
QPoint StelleVon(QLineEdit* feld, int pos) {
    for (int x = 0; x < feld->width(); ++x)
        if (feld->cursorPositionAt(QPoint(x, feld->height() / 2)) == pos)
            return QPoint(x, feld->height() / 2);
    return {};
}
} // namespace

class TstZeitDlg : public QObject {
    Q_OBJECT

    TTestUmgebung FFakeUmgebung;
    TFakePlattform& FFake = FFakeUmgebung.Fake();
    int FPiepe = 0;

    std::unique_ptr<TZeitDlg> Neu() { return std::make_unique<TZeitDlg>(nullptr, Uhr); }

    static void Zeigen(TZeitDlg& d) {
        d.show();
        d.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d));
    }

    static void Taste(Qt::Key taste, Qt::KeyboardModifiers mod = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), taste, mod);
    }

    static void Freigaben(TZeitDlg& d, bool cb, bool datum, bool zeit) {
        QCOMPARE(d.Cb1JedenTag->isEnabled(), cb);
        QCOMPARE(d.DatePicker->isEnabled(), datum);
        QCOMPARE(d.DatePicker->UpDown()->isEnabled(), datum);
        QCOMPARE(d.TimePicker->isEnabled(), zeit);
        QCOMPARE(d.TimePicker->UpDown()->isEnabled(), zeit);
        QCOMPARE(d.Lbl1Zeit->isEnabled(), zeit);
    }

#define Gesperrt(...)                                                                                        \
    do {                                                                                                     \
        Freigaben(__VA_ARGS__);                                                                              \
        if (QTest::currentTestFailed())                                                                      \
            return;                                                                                          \
    } while (false)

private slots:
    void initTestCase() {
        SetzeFeldPiep([this] { ++FPiepe; });
    }
    void cleanupTestCase() {
        SetzeFeldPiep({});
    }
    void init() {
        FPiepe = 0;
    }

    void erzeugung() {
        auto d = Neu();
        QCOMPARE(d->windowTitle(), QStringLiteral("Zeitsteuerung für Gerät \"%s\""));
        QCOMPARE(TZeitDlg::Titel(QStringLiteral("PC %1")),
                 QStringLiteral("Zeitsteuerung für Gerät \"PC %1\""));
        QCOMPARE(d->Rg1Aktion->ItemIndex(), 0);
        QCOMPARE(d->Rg1Aktion->Item(2)->text(), QStringLiteral("&Herunterfahren"));
        QCOMPARE(d->DatePicker->MinDatum(), QDate(2026, 12, 7));
        QCOMPARE(d->DatePicker->MaxDatum(), QDate(2100, 12, 31));
        QCOMPARE(d->DatePicker->text(), QStringLiteral("Mo, 07.12.2026 "));
        QCOMPARE(d->TimePicker->text(), QStringLiteral("14:35 "));
        QVERIFY(d->Btn1Ok->isDefault());
        QCOMPARE(d->Lbl1Zeit->buddy(), d->TimePicker);
        // The up-downs are never reached by Tab and the fields show no context menu.
        QCOMPARE(d->DatePicker->UpDown()->Auf()->focusPolicy(), Qt::NoFocus);
        QCOMPARE(d->TimePicker->UpDown()->focusPolicy(), Qt::NoFocus);
        QCOMPARE(d->DatePicker->contextMenuPolicy(), Qt::PreventContextMenu);
    }

    void freigabe() {
        auto d = Neu();
        Zeigen(*d);
        Gesperrt(*d, false, false, false);
        QCOMPARE(QApplication::focusWidget(), d->Rg1Aktion->Item(0));

        QTest::mouseClick(d->Rg1Aktion->Item(1), Qt::LeftButton);
        Gesperrt(*d, true, true, true);
        QTest::mouseClick(d->Cb1JedenTag, Qt::LeftButton);
        Gesperrt(*d, true, false, true);
        QTest::mouseClick(d->Cb1JedenTag, Qt::LeftButton);
        Gesperrt(*d, true, true, true);
        QTest::mouseClick(d->Cb1JedenTag, Qt::LeftButton);
        QTest::mouseClick(d->Rg1Aktion->Item(0), Qt::LeftButton);
        Gesperrt(*d, false, false, false);
        // Keyboard choice in the group runs the same rule.
        d->Rg1Aktion->Item(0)->setFocus();
        Taste(Qt::Key_Down);
        QCOMPARE(d->Rg1Aktion->ItemIndex(), 1);
        Gesperrt(*d, true, false, true); // every day is still checked
    }

    void ladenWaehrendOffen() {
        auto d = Neu();
        d->FelderSetzen({TZeitsteuerungAktion::akEinschlafen, false, QDate(2027, 1, 1), QTime(8, 0)});
        Zeigen(*d);
        Gesperrt(*d, true, true, true);
        d->FelderSetzen({TZeitsteuerungAktion::akEinschlafen, true, QDate(2027, 1, 1), QTime(8, 0)});
        Gesperrt(*d, true, false, true);
        d->FelderSetzen({TZeitsteuerungAktion::akKeine, false, QDate(2027, 1, 1), QTime(8, 0)});
        Gesperrt(*d, false, false, false);
    }

    void tabFolge() {
        auto d = Neu();
        d->FelderSetzen({TZeitsteuerungAktion::akHerunterfahren, false, QDate(2027, 1, 1), QTime(8, 0)});
        Zeigen(*d);
        QCOMPARE(QApplication::focusWidget(), d->Rg1Aktion->Item(2));
        const QList<QWidget*> folge = {d->Cb1JedenTag, d->DatePicker,    d->TimePicker,
                                       d->Btn1Ok,      d->Btn2Abbrechen, d->Rg1Aktion->Item(2)};
        for (QWidget* w : folge) {
            Taste(Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), w);
        }
        Taste(Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), d->Btn2Abbrechen);
    }

    void tastenDesDialogs() {
        auto d = Neu();
        d->FelderSetzen({TZeitsteuerungAktion::akEinschlafen, false, QDate(2027, 1, 1), QTime(8, 0)});
        Zeigen(*d);
        QTest::keyClick(d.get(), Qt::Key_Z, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), d->TimePicker);
        d->DatePicker->setFocus();
        Taste(Qt::Key_Return);
        QVERIFY(!d->isVisible());
        QCOMPARE(d->result(), int(QDialog::Accepted));

        Zeigen(*d);
        d->TimePicker->setFocus();
        Taste(Qt::Key_Escape);
        QVERIFY(!d->isVisible());
        QCOMPARE(d->result(), int(QDialog::Rejected));

        Zeigen(*d);
        QTest::mouseClick(d->Lbl1Zeit, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), d->TimePicker);
    }

    void anordnung() {
        QSize vorher;
        int hoeheVorher = 0;
        for (int punkte : {12, 24}) {
            auto d = Neu();
            TProgrammSchrift schrift;
            schrift.Font.setPointSize(punkte);
            d->SchriftartZuweisen(schrift, HintergrundFarbe(8));
            QCOMPARE(d->DatePicker->font().pointSize(), punkte);
            QCOMPARE(d->DatePicker->palette().color(QPalette::Base), HintergrundFarbe(8));

            const int l = QFontMetrics(schrift.Font).height();
            const int kh = QFontMetrics(d->Btn1Ok->font()).height() + 12;
            const int kb = d->Btn1Ok->width();
            const QRect rg = d->Rg1Aktion->geometry();
            const QRect cb = d->Cb1JedenTag->geometry();
            TDatePicker* dp = d->DatePicker;
            TTimePicker* tp = d->TimePicker;
            const QRect lbl = d->Lbl1Zeit->geometry();

            QCOMPARE(d->Btn1Ok->height(), kh);
            QCOMPARE(rg.topLeft(), QPoint(10, 10));
            QCOMPARE(rg.height(), 6 * kh);
            QCOMPARE(cb.height(), l + 8);
            QCOMPARE(cb.y(), 10 + (6 * kh - (l + 8)) / 2);
            QCOMPARE(cb.x(), 20 + rg.width());
            QVERIFY(d->Cb1JedenTag->sizeHint().width() <= cb.width());
            QCOMPARE(dp->Top(), cb.y());
            QCOMPARE(dp->Left(), cb.x() + cb.width() + 10);
            QCOMPARE(dp->height(), l + 8);
            QCOMPARE(dp->UpDown()->geometry(),
                     QRect(dp->x() + dp->width(), dp->y(), dp->Width() - dp->width(), dp->height()));
            QCOMPARE(lbl.x(), dp->Left() + dp->Width() + 10);
            QCOMPARE(lbl.y(), dp->Top() + (dp->height() - lbl.height()) / 2);
            QCOMPARE(tp->Left(), lbl.x() + lbl.width() + 5);
            QCOMPARE(tp->Top(), cb.y());
            const int breite = tp->Left() + tp->Width() + 10;
            QCOMPARE(d->width(), breite);
            QCOMPARE(d->Btn1Ok->pos(), QPoint((breite - 2 * kb) / 3, rg.bottom() + 1 + 10));
            QCOMPARE(d->Btn2Abbrechen->geometry(), QRect(2 * d->Btn1Ok->x() + kb, d->Btn1Ok->y(), kb, kh));
            QCOMPARE(d->height(), d->Btn1Ok->y() + kh + 10);
            if (punkte == 12)
                QCOMPARE(kb, 125);
            QVERIFY(kb >= 125);

            // Nothing overlaps, nothing leaves the window, and the texts fit.
            const QList<QRect> teile = {rg,
                                        cb,
                                        dp->geometry(),
                                        dp->UpDown()->geometry(),
                                        lbl,
                                        tp->geometry(),
                                        tp->UpDown()->geometry(),
                                        d->Btn1Ok->geometry(),
                                        d->Btn2Abbrechen->geometry()};
            for (int i = 0; i < teile.size(); ++i) {
                QVERIFY2(d->rect().contains(teile[i]), qPrintable(QString::number(i)));
                for (int j = i + 1; j < teile.size(); ++j)
                    QVERIFY2(!teile[i].intersects(teile[j]),
                             qPrintable(QStringLiteral("%1 %2").arg(i).arg(j)));
            }
            const QFontMetrics fm(schrift.Font);
            QVERIFY(fm.horizontalAdvance(QStringLiteral("Mi, 28.08.2088")) + 8 <= dp->width());
            QVERIFY(fm.horizontalAdvance(QStringLiteral("00:00")) + 8 <= tp->width());
            QVERIFY(QFontMetrics(d->Btn2Abbrechen->font()).horizontalAdvance(QStringLiteral("Abbrechen")) +
                        8 <=
                    kb);
            for (int i = 0; i < 4; ++i) {
                const QRect item = d->Rg1Aktion->Item(i)->geometry();
                QVERIFY(d->Rg1Aktion->contentsRect().contains(item));
                QVERIFY(item.height() >= l);
                QVERIFY(item.width() >= d->Rg1Aktion->Item(i)->sizeHint().width());
            }

            if (punkte == 24) {
                QVERIFY(d->width() > vorher.width() && d->height() > vorher.height());
                QVERIFY(kh > hoeheVorher);
            }
            vorher = d->size();
            hoeheVorher = kh;
        }
    }

    void position() {
        QWidget haupt;
        haupt.setGeometry(40, 30, 900, 700);
        haupt.show();
        QVERIFY(QTest::qWaitForWindowExposed(&haupt));
        TZeitDlg d(&haupt, Uhr);
        d.show();
        const QRect h = haupt.frameGeometry();
        QCOMPARE(d.frameGeometry().topLeft(), QPoint(h.x() + (h.width() - d.frameGeometry().width()) / 2,
                                                     h.y() + (h.height() - d.frameGeometry().height()) / 2));
        d.hide();
        d.show(); // later showings are centred on the screen
        const QRect s = d.screen()->geometry();
        QCOMPARE(d.frameGeometry().topLeft(), QPoint(s.x() + (s.width() - d.frameGeometry().width()) / 2,
                                                     s.y() + (s.height() - d.frameGeometry().height()) / 2));
    }

    // --- The date and time fields as widgets ---

    void tippenMitTastatur() {
        auto d = Neu();
        d->FelderSetzen({TZeitsteuerungAktion::akEinschlafen, false, QDate(2026, 12, 7), QTime(8, 0)});
        Zeigen(*d);
        d->DatePicker->setFocus(Qt::TabFocusReason);
        QCOMPARE(d->DatePicker->selectedText(), QStringLiteral("07")); // not the whole text
        QTest::keyClicks(d->DatePicker, QStringLiteral("2"));
        QCOMPARE(d->DatePicker->text(), QStringLiteral("Mo, 2_.12.2026 "));
        QTest::keyClicks(d->DatePicker, QStringLiteral("5"));
        QCOMPARE(d->DatePicker->text(), QStringLiteral("Fr, 25.12.2026 "));
        QCOMPARE(d->DatePicker->selectedText(), QStringLiteral("12"));
        Taste(Qt::Key_PageUp); // the month is marked: one month, December is the end
        QCOMPARE(d->DatePicker->Datum(), QDate(2026, 12, 25));
        Taste(Qt::Key_Home);
        Taste(Qt::Key_PageUp);
        QCOMPARE(d->DatePicker->text(), QStringLiteral("Fr, 01.01.2027 "));
        Taste(Qt::Key_Up, Qt::ShiftModifier); // modifiers are not looked at
        QCOMPARE(d->DatePicker->Datum(), QDate(2027, 1, 2));
        QCOMPARE(d->DatePicker->selectedText(), QStringLiteral("Sa"));
    }

    void backspaceUndVerlassen() {
        auto d = Neu();
        d->FelderSetzen({TZeitsteuerungAktion::akEinschlafen, false, QDate(2026, 12, 7), QTime(8, 0)});
        Zeigen(*d);
        d->DatePicker->setFocus(Qt::TabFocusReason);
        Taste(Qt::Key_Backspace);
        QCOMPARE(d->DatePicker->text(), QStringLiteral("Mo, __.12.2026 "));
        Taste(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), d->TimePicker);
        QCOMPARE(d->DatePicker->text(), QStringLiteral("Mo, 07.12.2026 "));
        // Coming back marks the day again, whatever was marked before.
        Taste(Qt::Key_Backtab);
        Taste(Qt::Key_End);
        Taste(Qt::Key_Tab);
        Taste(Qt::Key_Backtab);
        QCOMPARE(d->DatePicker->selectedText(), QStringLiteral("07"));
        QCOMPARE(d->DatePicker->MarkiereNr(), 1);
    }

    void nichtsAnderesErreichtDenText() {
        auto d = Neu();
        d->FelderSetzen({TZeitsteuerungAktion::akEinschlafen, false, QDate(2026, 12, 7), QTime(8, 0)});
        Zeigen(*d);
        QApplication::clipboard()->setText(QStringLiteral("99.99.9999"));
        d->TimePicker->setFocus(Qt::TabFocusReason);
        for (auto [taste, mod] : {std::pair{Qt::Key_V, Qt::ControlModifier},
                                  {Qt::Key_X, Qt::ControlModifier},
                                  {Qt::Key_Z, Qt::ControlModifier},
                                  {Qt::Key_Insert, Qt::ShiftModifier},
                                  {Qt::Key_Delete, Qt::NoModifier},
                                  {Qt::Key_A, Qt::NoModifier}})
            Taste(taste, mod);
        QCOMPARE(d->TimePicker->text(), QStringLiteral("08:00 "));
        QTest::mouseClick(d->TimePicker, Qt::MiddleButton, {}, StelleVon(d->TimePicker, 1));
        QCOMPARE(d->TimePicker->text(), QStringLiteral("08:00 "));
        QCOMPARE(FPiepe, 0);
    }

    void mausMarkiert() {
        auto d = Neu();
        d->FelderSetzen({TZeitsteuerungAktion::akEinschlafen, false, QDate(2026, 12, 7), QTime(8, 0)});
        Zeigen(*d);
        d->DatePicker->setFocus(Qt::TabFocusReason);
        QTest::mouseClick(d->DatePicker, Qt::LeftButton, {}, StelleVon(d->DatePicker, 8));
        QCOMPARE(d->DatePicker->MarkiereNr(), 2);
        QCOMPARE(d->DatePicker->selectedText(), QStringLiteral("12"));
        QTest::mouseClick(d->DatePicker, Qt::LeftButton, {}, StelleVon(d->DatePicker, 12));
        QCOMPARE(d->DatePicker->selectedText(), QStringLiteral("2026"));
        // A click into the marked part leaves the caret where it was clicked.
        QTest::mouseClick(d->DatePicker, Qt::LeftButton, {}, StelleVon(d->DatePicker, 11));
        QCOMPARE(d->DatePicker->selectedText(), QString());
        QCOMPARE(d->DatePicker->cursorPosition(), 11);
        QTest::mouseDClick(d->DatePicker, Qt::LeftButton, {}, StelleVon(d->DatePicker, 5));
        QTest::keyClicks(d->DatePicker, QStringLiteral("3"));
        QCOMPARE(d->DatePicker->text().size(), 15);
    }

    void upDownSchrittOhneFokus() {
        auto d = Neu();
        d->FelderSetzen({TZeitsteuerungAktion::akEinschlafen, false, QDate(2026, 12, 7), QTime(8, 0)});
        Zeigen(*d);
        QWidget* vorher = QApplication::focusWidget();
        QTest::mouseClick(d->TimePicker->UpDown()->Auf(), Qt::LeftButton);
        QCOMPARE(d->TimePicker->text(), QStringLiteral("09:00 "));
        QTest::mouseClick(d->DatePicker->UpDown()->Ab(), Qt::LeftButton); // at the limit
        QCOMPARE(d->DatePicker->Datum(), QDate(2026, 12, 7));
        QTest::mouseClick(d->DatePicker->UpDown()->Auf(), Qt::LeftButton);
        QCOMPARE(d->DatePicker->Datum(), QDate(2026, 12, 8));
        QCOMPARE(QApplication::focusWidget(), vorher);
        d->DatePicker->setReadOnly(true);
        QTest::mouseClick(d->DatePicker->UpDown()->Auf(), Qt::LeftButton);
        QCOMPARE(d->DatePicker->Datum(), QDate(2026, 12, 8));
        QCOMPARE(FPiepe, 1);
    }

    void piepen() {
        auto d = Neu();
        d->FelderSetzen({TZeitsteuerungAktion::akEinschlafen, false, QDate(2026, 12, 7), QTime(8, 0)});
        Zeigen(*d);
        d->DatePicker->setFocus(Qt::TabFocusReason);
        Taste(Qt::Key_End);
        QTest::keyClicks(d->DatePicker, QStringLiteral("2030"));
        QCOMPARE(FPiepe, 0);
        QTest::keyClicks(d->DatePicker, QStringLiteral("1"));
        QCOMPARE(FPiepe, 1);
        QCOMPARE(d->DatePicker->text(), QStringLiteral("Mo, 07.12.2030 "));
        d->TimePicker->setFocus(Qt::TabFocusReason);
        Taste(Qt::Key_Right);
        QTest::keyClicks(d->TimePicker, QStringLiteral("456"));
        QCOMPARE(FPiepe, 2);
        QCOMPARE(d->TimePicker->text(), QStringLiteral("08:45 "));
    }

    void platzieren() {
        QWidget besitzer;
        auto* feld = new TDatePicker(&besitzer, Uhr);
        feld->SetMaxDatum(QDate(2100, 12, 31));
        feld->SetDatum(QDate(2027, 6, 10));
        feld->SetMarkiereNr(3);
        feld->Bounds(5, 20, 150);
        QCOMPARE(feld->pos(), QPoint(20, 5));
        QCOMPARE(feld->Width(), 150);
        QCOMPARE(feld->UpDown()->geometry().right(), 20 + 150 - 1);
        QCOMPARE(feld->MarkiereNr(), 1);
        // Unfinished typing is dropped when the field is placed.
        feld->Editor().Zeichen(u'2');
        feld->SetLeft(30);
        QCOMPARE(feld->text(), QStringLiteral("Do, 10.06.2027 "));
        QCOMPARE(feld->UpDown()->x(), 30 + feld->width());
        // The up-down goes with the field.
        feld->setVisible(false);
        QVERIFY(feld->UpDown()->isHidden());
        QPointer<TUpDown> upDown = feld->UpDown();
        delete feld;
        QVERIFY(upDown.isNull());
    }

    void mitZeitsteuerung() {
        auto d = Neu();
        QDateTime ps;
        QDateTime jetzt(QDate(2026, 12, 9), QTime(16, 45, 30));
        TZeitsteuerung zs(*d, QString(), ps, AktuellerFake(), [&] { return jetzt; });
        zs.SetZeitsteuerung(QStringLiteral("x|2|0|30.11.2026|07:30:59"), true, false);
        QCOMPARE(d->Rg1Aktion->ItemIndex(), 2);
        QCOMPARE(zs.Zeitsteuerung().Datum, QDate(2026, 12, 7)); // the day the dialog was made
        QCOMPARE(zs.Zeitsteuerung().Zeit, QTime(7, 30));
        QCOMPARE(zs.GetZeitsteuerung(false, true), QStringLiteral("2|0|07.12.2026|07:30"));
        zs.SetZeitsteuerung(QStringLiteral("x|1|1|01.01.2200|25:00"), false, false);
        QVERIFY(d->Cb1JedenTag->isChecked());
        QVERIFY(!d->DatePicker->isEnabled());
        QCOMPARE(zs.GetZeitsteuerung(true, true), QStringLiteral("16:45:30|1|1|31.12.2100|16:45"));
        QCOMPARE(zs.Zeitsteuerung().Aktion, TZeitsteuerungAktion::akHerunterfahren);
    }
};

QTEST_MAIN(TstZeitDlg)
#include "tst_zeitdlg.moc"
