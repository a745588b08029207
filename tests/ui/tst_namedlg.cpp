#include "Pruefhilfen.h"
#include "support/TestUmgebung.h"
#include "ui/TNameDlg.h"
#include "ui/TPuLv1.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
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
THostListRec Eintrag(const QString& pc, const QString& user, bool senderS) {
    THostListRec r;
    r.PC = pc;
    r.User = user;
    r.SenderS = senderS;
    r.MAC = "00-1A-2B-3C-4D-5E";
    return r;
}
} // namespace

class TstNameDlg : public QObject {
    Q_OBJECT

private slots:
    void texte() {
        TNameDlg d(Schrift(12), Qt::white);
        QCOMPARE(d.windowTitle(), "Gerätename ändern");
        QCOMPARE(d.LeNameLabel->text(), "&Name:");
        QCOMPARE(d.LeNameLabel->buddy(), d.LeName);
        QCOMPARE(d.Btn1Ok->text(), "OK");
        QCOMPARE(d.Btn2Abbrechen->text(), "&Abbrechen");
        QVERIFY(d.Btn1Ok->isDefault());
        QCOMPARE(d.LeName->maxLength(), 100);
    }

    void layout_data() {
        QTest::addColumn<int>("punkte");
        QTest::newRow("12 Punkte") << 12;
        QTest::newRow("36 Punkte") << 36;
        QTest::newRow("48 Punkte") << 48;
    }
    void layout() {
        QFETCH(int, punkte);
        TNameDlg d(Schrift(punkte), Qt::white);
        d.LeName->setText("Wohnzimmer");
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));

        const QFont knopfFont = d.Btn1Ok->font();
        QCOMPARE(knopfFont.pointSize(), punkte);
        const int b = d.Btn1Ok->width();
        // 125 pixels, wider only where the caption needs it.
        if (punkte == 12)
            QCOMPARE(b, 125);
        QVERIFY(QFontMetrics(knopfFont).horizontalAdvance("Abbrechen") < b - 8);
        QCOMPARE(d.Btn1Ok->height(), QFontMetrics(knopfFont).height() + 12);
        QCOMPARE(d.Btn2Abbrechen->size(), d.Btn1Ok->size());
        // Five button widths, less only where the work area is narrower.
        const int rahmen = d.frameGeometry().width() - d.width();
        QCOMPARE(d.width(), qMin(5 * b, d.screen()->availableGeometry().width() - rahmen));
        if (punkte == 12)
            QCOMPARE(d.width(), 625);

        QCOMPARE(d.LeName->y(), 10);
        QCOMPARE(d.LeNameLabel->x(), 10);
        QCOMPARE(d.LeName->x(), d.LeNameLabel->geometry().right() + 1 + 5);
        QCOMPARE(d.LeName->geometry().right() + 1, d.width() - 10);
        QVERIFY(qAbs(d.LeNameLabel->geometry().center().y() - d.LeName->geometry().center().y()) <= 1);
        QVERIFY(d.LeName->height() > QFontMetrics(d.LeName->font()).height());
        QVERIFY(d.LeNameLabel->width() >= QFontMetrics(d.LeNameLabel->font()).horizontalAdvance("Name:"));

        QCOMPARE(d.Btn1Ok->y(), d.LeName->geometry().bottom() + 1 + 10);
        QCOMPARE(d.Btn2Abbrechen->y(), d.Btn1Ok->y());
        QCOMPARE(d.Btn1Ok->x(), (d.width() - 2 * b) / 3);
        QCOMPARE(d.Btn2Abbrechen->x(), 2 * d.Btn1Ok->x() + b);
        QCOMPARE(d.height(), d.Btn1Ok->geometry().bottom() + 1 + 10);
        const QString fehler =
            UeberlappungOderAussen(&d, {d.LeNameLabel, d.LeName, d.Btn1Ok, d.Btn2Abbrechen});
        QVERIFY2(fehler.isEmpty(), qPrintable(fehler));

        const QRect schirm = d.screen()->geometry();
        QCOMPARE(d.x(), qMax(0, (schirm.width() - d.frameGeometry().width()) / 2));
        QCOMPARE(d.y(), qMax(0, (schirm.height() - d.frameGeometry().height()) / 2));
    }

    void okNurMitNamen_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("okS");
        QTest::addColumn<QString>("name");
        QTest::newRow("leer") << "" << false << "";
        QTest::newRow("Blanks") << "    " << false << "";
        QTest::newRow("Blanks und Steuerzeichen") << " \t\x01 " << false << "";
        QTest::newRow("geschuetztes Leerzeichen") << QString(QChar(0xA0)) << false << "";
        QTest::newRow("Name mit Blanks") << "  Anna Maier  " << true << "Anna Maier";
        QTest::newRow("ein Zeichen") << "x" << true << "x";
    }
    void okNurMitNamen() {
        QFETCH(QString, text);
        TNameDlg d(Schrift(12), Qt::white);
        d.LeName->setText("vorher");
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        d.LeName->setText(text);
        QTEST(d.Btn1Ok->isEnabled(), "okS");
        QTEST(d.Name(), "name");
    }

    void eingabeBegrenzt() {
        TNameDlg d(Schrift(12), Qt::white);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QTest::keyClicks(d.LeName, QString(120, 'a'));
        QCOMPARE(d.LeName->text().size(), 100);
        // The separator of datagrams and the host list file never gets in.
        d.LeName->clear();
        QTest::keyClicks(d.LeName, "a|b");
        QCOMPARE(d.LeName->text(), "ab");
        d.LeName->setText("x|y\nz");
        QCOMPARE(d.LeName->text(), "xyz");
    }

    void beimZeigenIstAllesMarkiert() {
        TNameDlg d(Schrift(12), Qt::white);
        d.LeName->setText("Gerät 1");
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        QVERIFY(d.LeName->hasFocus());
        QCOMPARE(d.LeName->selectedText(), "Gerät 1");
        QVERIFY(d.Btn1Ok->isEnabled());
        // Clicking the label puts the caret back into the edit.
        d.Btn2Abbrechen->setFocus();
        QTest::mouseClick(d.LeNameLabel, Qt::LeftButton);
        QVERIFY(d.LeName->hasFocus());
        QTest::keyClick(d.LeName, Qt::Key_Return);
        QCOMPARE(d.result(), int(QDialog::Accepted));
    }

    void umbenennen_data() {
        QTest::addColumn<int>("tag");
        QTest::addColumn<QString>("pc");
        QTest::addColumn<bool>("senderS");
        QTest::addColumn<QString>("titel"); // empty: refused, no dialog
        QTest::addColumn<QString>("vorgabe");
        QTest::addColumn<int>("ergebnisTag");
        QTest::newRow("Geraet") << 1 << "PC7" << false << "Gerätename ändern"
                                << "PC7" << 1;
        QTest::newRow("Benutzer") << 2 << "PC7" << false << "Benutzername ändern"
                                  << "bert" << 2;
        QTest::newRow("eigener Name") << 3 << "PC7" << true << "Meinen Namen ändern"
                                      << "Ich" << 3;
        QTest::newRow("Benutzer am eigenen PC mit Sender") << 2 << "MEINPC" << true << "Meinen Namen ändern"
                                                           << "Ich" << 3;
        QTest::newRow("Gross-klein zaehlt") << 2 << "meinpc" << false << "Benutzername ändern"
                                            << "bert" << 2;
        QTest::newRow("Geraet mit Sender") << 1 << "PC7" << true << ""
                                           << "" << 0;
        QTest::newRow("Benutzer mit Sender") << 2 << "PC7" << true << ""
                                             << "" << 0;
        QTest::newRow("eigener PC, Geraetename mit Sender") << 1 << "MEINPC" << true << ""
                                                            << "" << 0;
    }
    void umbenennen() {
        QFETCH(int, tag);
        QFETCH(QString, pc);
        QFETCH(bool, senderS);
        QFETCH(QString, titel);
        QFETCH(QString, vorgabe);
        QFETCH(int, ergebnisTag);
        TTestUmgebung u;
        QString gesehen;
        u.Meldungen.DialogFueller = [&](QDialog* d) {
            auto* dlg = qobject_cast<TNameDlg*>(d);
            QVERIFY(dlg);
            gesehen = dlg->LeName->text();
            dlg->LeName->setText("  Neuer Name ");
        };
        u.Meldungen.Antworten({true});
        const THostListRec e = Eintrag(pc, "bert", senderS);
        const auto erg = NameAendern(nullptr, tag, &e, "MEINPC", "Ich", Schrift(12), Qt::white);
        if (titel.isEmpty()) {
            QVERIFY(!erg);
            QCOMPARE(u.Meldungen.Arten, QList<Meldungen::TArt>{Meldungen::TArt::Information});
            QCOMPARE(u.Meldungen.Texte,
                     QStringList{"Einträge mit aktivem Sender dürfen nicht geändert oder gelöscht werden!"});
            return;
        }
        QCOMPARE(u.Meldungen.Texte, QStringList{titel});
        QCOMPARE(gesehen, vorgabe);
        QVERIFY(erg);
        QCOMPARE(erg->Tag, ergebnisTag);
        QCOMPARE(erg->Name, "Neuer Name");
    }

    void umbenennenAbgebrochenOderLeer() {
        TTestUmgebung u;
        const THostListRec e = Eintrag("PC7", "bert", false);
        u.Meldungen.Antworten({false});
        QVERIFY(!NameAendern(nullptr, 1, &e, "MEINPC", "Ich", Schrift(12), Qt::white));
        u.Meldungen.DialogFueller = [](QDialog* d) { qobject_cast<TNameDlg*>(d)->LeName->setText("   "); };
        u.Meldungen.Antworten({true});
        QVERIFY(!NameAendern(nullptr, 1, &e, "MEINPC", "Ich", Schrift(12), Qt::white));
        // The own name needs no selected row.
        u.Meldungen.DialogFueller = {};
        u.Meldungen.Antworten({true});
        const auto eigen = NameAendern(nullptr, 3, nullptr, "MEINPC", "Ich", Schrift(12), Qt::white);
        QVERIFY(eigen && eigen->Tag == 3 && eigen->Name == "Ich");
        QVERIFY(!NameAendern(nullptr, 1, nullptr, "MEINPC", "Ich", Schrift(12), Qt::white));
    }

    void loeschenFragtOderLehntAb() {
        TTestUmgebung u;
        u.Meldungen.Antworten({true, false});
        QVERIFY(LoeschenBestaetigen(nullptr, Eintrag("PC7", "b", false)));
        QVERIFY(!LoeschenBestaetigen(nullptr, Eintrag("PC7", "b", false)));
        QVERIFY(!LoeschenBestaetigen(nullptr, Eintrag("PC8", "b", true)));
        QCOMPARE(u.Meldungen.Arten, QList<Meldungen::TArt>({Meldungen::TArt::Frage, Meldungen::TArt::Frage,
                                                            Meldungen::TArt::Information}));
        QCOMPARE(u.Meldungen.Texte.value(0), "Soll das Gerät \"PC7\" aus der Liste entfernt werden?");
        QCOMPARE(u.Meldungen.Texte.value(2),
                 "Einträge mit aktivem Sender dürfen nicht geändert oder gelöscht werden!");
    }
};

QTEST_MAIN(TstNameDlg)
#include "tst_namedlg.moc"
