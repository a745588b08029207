#include "ui/PuLv1Regeln.h"
#include "ui/TPuLv1.h"

#include <QAction>
#include <QTableWidget>
#include <QTest>

class TstPuLv1 : public QObject {
    Q_OBJECT

private slots:
    // Columns of "erwartet", one character per item, top to bottom:
    // Aufwecken Einschlafen Herunterfahren Neustart | PcAendern BenutzerAendern MeinName
    // IpKopieren MacKopieren Zeitsteuerung | Oben Unten Loeschen
    void freigaben_data() {
        QTest::addColumn<bool>("netzS");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("anzahl");
        QTest::addColumn<bool>("onlineS");
        QTest::addColumn<bool>("senderS");
        QTest::addColumn<QString>("erwartet");
        QTest::newRow("nichts gewaehlt") << true << -1 << 5 << false << false << "0000001000000";
        QTest::newRow("nichts gewaehlt, kein Netz") << false << -1 << 5 << false << false << "0000000000000";
        QTest::newRow("offline, Mitte") << true << 2 << 5 << false << false << "1000111110111";
        QTest::newRow("online mit Sender, Mitte") << true << 2 << 5 << true << true << "0111111111111";
        QTest::newRow("online ohne Sender") << true << 2 << 5 << true << false << "0011111110111";
        QTest::newRow("offline mit Sender") << true << 2 << 5 << false << true << "1100111111111";
        QTest::newRow("erste Zeile") << true << 0 << 5 << false << false << "1000111110011";
        QTest::newRow("letzte Zeile") << true << 4 << 5 << false << false << "1000111110101";
        QTest::newRow("einzige Zeile") << true << 0 << 1 << false << false << "1000111110001";
        QTest::newRow("kein Netz, online mit Sender") << false << 2 << 5 << true << true << "0000000110111";
        QTest::newRow("veralteter Index") << true << 5 << 5 << true << true << "0000001000000";
    }
    void freigaben() {
        QFETCH(bool, netzS);
        QFETCH(int, index);
        QFETCH(int, anzahl);
        QFETCH(bool, onlineS);
        QFETCH(bool, senderS);
        QFETCH(QString, erwartet);
        const TPuLv1Freigaben f =
            PuLv1Freigaben({netzS, index, anzahl, onlineS ? TStatus::sOnline : TStatus::sOffline, senderS});
        QString ist;
        for (bool b : f.Feld)
            ist += b ? '1' : '0';
        QCOMPARE(ist, erwartet);
    }

    void umbenennenRegel() {
        QCOMPARE(UmbenennenTag(2, "MEINPC", "MEINPC"), 3);
        QCOMPARE(UmbenennenTag(2, "meinpc", "MEINPC"), 2);
        QCOMPARE(UmbenennenTag(1, "MEINPC", "MEINPC"), 1);
        QCOMPARE(UmbenennenTag(3, "X", "MEINPC"), 3);
        QVERIFY(UmbenennenAbgelehnt(1, true));
        QVERIFY(UmbenennenAbgelehnt(2, true));
        QVERIFY(!UmbenennenAbgelehnt(3, true));
        QVERIFY(!UmbenennenAbgelehnt(1, false));
        QCOMPARE(NameDlgTitel(1), "Gerätename ändern");
        QCOMPARE(NameDlgTitel(2), "Benutzername ändern");
        QCOMPARE(NameDlgTitel(3), "Meinen Namen ändern");
        QCOMPARE(LoeschenFrageText("Büro"), "Soll das Gerät \"Büro\" aus der Liste entfernt werden?");
    }

    void menue() {
        QTableWidget liste;
        TPuLv1 m(&liste);
        QStringList texte;
        QList<int> tags;
        QStringList kuerzel;
        for (const QAction* a : m.actions()) {
            texte << (a->isSeparator() ? "-" : a->text());
            if (!a->isSeparator()) {
                tags << TPuLv1::Tag(a);
                kuerzel << a->shortcut().toString(QKeySequence::PortableText);
            }
        }
        QCOMPARE(texte,
                 QStringList({"&Aufwecken", "&Einschlafen", "&Herunterfahren", "&Neustart", "-",
                              "&Gerätename ändern...", "&Benutzername ändern...", "&Meinen Namen ändern...",
                              "IP-Adresse kopieren", "MAC-Adresse kopieren", "&Zeitsteuerung...", "-",
                              "Listeneintrag nach &oben", "Listeneintrag nach &unten", "&Löschen"}));
        QCOMPARE(tags, QList<int>({1, 2, 3, 4, 1, 2, 3, 1, 2, 0, 1, 2, 0}));
        QCOMPARE(kuerzel, QStringList({"", "", "", "", "Ctrl+G", "Ctrl+B", "", "", "", "Ctrl+Z", "Ctrl+Up",
                                       "Ctrl+Down", "Del"}));
        QCOMPARE(m.Eintrag(TPuLv1Eintrag::Unten), m.PuLv1Unten);
        QCOMPARE(m.Eintrag(TPuLv1Eintrag::Einschlafen), m.PULv1Einschlafen);
    }

    void kuerzelFragenDieRegelnVorher() {
        QTableWidget liste(3, 6);
        TPuLv1 m(&liste);
        TPuLv1Lage lage{true, -1, 3, TStatus::sOnline, false};
        int popups = 0;
        m.Popup = [&] {
            ++popups;
            m.Freigeben(PuLv1Freigaben(lage));
        };
        m.Freigeben(PuLv1Freigaben({true, 1, 3, TStatus::sOnline, false})); // stale: everything on
        int unten = 0, loeschen = 0;
        connect(m.PuLv1Unten, &QAction::triggered, this, [&] { ++unten; });
        connect(m.PuLv1Loeschen, &QAction::triggered, this, [&] { ++loeschen; });
        liste.show();
        QVERIFY(QTest::qWaitForWindowActive(&liste));
        liste.setFocus();

        // No row selected: Del and Ctrl+Down do nothing, although the items were enabled.
        QTest::keyClick(&liste, Qt::Key_Delete);
        QTest::keyClick(&liste, Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(popups, 2);
        QCOMPARE(loeschen, 0);
        QCOMPARE(unten, 0);

        lage.Index = 1;
        QTest::keyClick(&liste, Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(popups, 3);
        QCOMPARE(unten, 1);
        lage.Index = 2; // the last row
        QTest::keyClick(&liste, Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(unten, 1);
        QTest::keyClick(&liste, Qt::Key_Delete);
        QCOMPARE(loeschen, 1);

        // Opening the menu recomputes too.
        lage.Index = -1;
        emit m.aboutToShow();
        QVERIFY(!m.PuLv1Loeschen->isEnabled());
        QVERIFY(m.PuLv1MeinName->isEnabled());
    }
};

QTEST_MAIN(TstPuLv1)
#include "tst_pulv1.moc"
