#include "hosts/THostList.h"
#include "support/TestUmgebung.h"
#include "ui/TListView.h"

#include <QHeaderView>
#include <QTemporaryDir>
#include <QTest>

namespace {
THostListRec Host(const QString& pc, TStatus status, bool senderS) {
    THostListRec r;
    r.PC = pc;
    r.User = "u-" + pc;
    r.IP = "10.0.0." + QString::number(pc.size());
    r.MAC = "MAC-" + pc;
    r.Status = status;
    r.SenderS = senderS;
    return r;
}

QStringList Zeile(const TListView& v, int r) {
    QStringList z;
    for (int c = 0; c < v.columnCount(); ++c)
        z << v.item(r, c)->text();
    return z;
}
} // namespace

class TstListView : public QObject {
    Q_OBJECT
private slots:
    void farbregel_data() {
        QTest::addColumn<int>("spalte");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("hintergrund");
        QTest::addColumn<QColor>("erwartet");
        const QColor weiss(255, 255, 255), gruen(0, 128, 0), lime(0, 255, 0), rot(255, 0, 0),
            gelb(255, 255, 0);
        const QColor schrift(10, 20, 30);
        QTest::newRow("Online grün") << 2 << "Online" << weiss << gruen;
        QTest::newRow("Offline rot") << 2 << "Offline" << weiss << rot;
        QTest::newRow("Aktiv grün") << 3 << "Aktiv" << weiss << gruen;
        QTest::newRow("Inaktiv rot") << 3 << "Inaktiv" << weiss << rot;
        QTest::newRow("Online auf Grün") << 2 << "Online" << gruen << lime;
        QTest::newRow("Inaktiv auf Rot") << 3 << "Inaktiv" << rot << gelb;
        QTest::newRow("Offline auf Grün bleibt rot") << 2 << "Offline" << gruen << rot;
        QTest::newRow("Online auf Gelbgrün bleibt grün") << 2 << "Online" << lime << gruen;
        QTest::newRow("Aktiv auf Rot bleibt grün") << 3 << "Aktiv" << rot << gruen;
        QTest::newRow("genau, nicht ähnlich") << 2 << "online" << weiss << rot;
        QTest::newRow("Status-Text in anderer Spalte") << 0 << "Online" << weiss << schrift;
        QTest::newRow("MAC") << 5 << "Aktiv" << gruen << schrift;
    }
    void farbregel() {
        QFETCH(int, spalte);
        QFETCH(QString, text);
        QFETCH(QColor, hintergrund);
        QFETCH(QColor, erwartet);
        QCOMPARE(ZellTextFarbe(spalte, text, hintergrund, QColor(10, 20, 30)), erwartet);
    }

    // What the view really paints: the cell's text pixels carry the rule's colour.
    void gemalteFarben_data() {
        QTest::addColumn<QColor>("hintergrund");
        QTest::addColumn<QColor>("status"); // colour of "Online"
        QTest::addColumn<QColor>("sender"); // colour of "Inaktiv"
        QTest::newRow("Weiß") << QColor(255, 255, 255) << QColor(0, 128, 0) << QColor(255, 0, 0);
        QTest::newRow("Grün") << QColor(0, 128, 0) << QColor(0, 255, 0) << QColor(255, 0, 0);
        QTest::newRow("Rot") << QColor(255, 0, 0) << QColor(0, 128, 0) << QColor(255, 255, 0);
        QTest::newRow("Gelbgrün") << QColor(0, 255, 0) << QColor(0, 128, 0) << QColor(255, 0, 0);
    }
    void gemalteFarben() {
        QFETCH(QColor, hintergrund);
        QFETCH(QColor, status);
        QFETCH(QColor, sender);
        TListView v;
        v.resize(900, 200);
        QFont f("Liberation Sans");
        f.setPixelSize(28);
        f.setBold(true);
        v.setFont(f);
        v.verticalHeader()->setDefaultSectionSize(40);
        QPalette pal = v.palette();
        pal.setColor(QPalette::Base, hintergrund);
        v.setPalette(pal);
        v.SetzeFarben(hintergrund, QColor(0, 0, 255));
        v.SetListViewItem(Host("A", TStatus::sOnline, false), -1, true);
        v.clearSelection();
        v.setCurrentCell(-1, -1);
        const QImage bild = v.viewport()->grab().toImage();
        auto zaehle = [&](int spalte, const QColor& farbe) {
            const QRect zelle = v.visualItemRect(v.item(0, spalte)).adjusted(2, 2, -2, -2);
            int n = 0;
            for (int y = zelle.top(); y <= zelle.bottom(); ++y)
                for (int x = zelle.left(); x <= zelle.right(); ++x)
                    if (bild.pixelColor(x, y) == farbe)
                        ++n;
            return n;
        };
        QVERIFY(zaehle(2, status) > 10);
        QVERIFY(zaehle(3, sender) > 10);
        QVERIFY(zaehle(0, QColor(0, 0, 255)) > 10); // the font's colour, right after a coloured cell
        QCOMPARE(zaehle(3, status), 0);
    }

    void fuellen() {
        TTestUmgebung umgebung;
        QTemporaryDir ordner;
        THostList liste(ordner.path() + "/h.txt", umgebung.Fake(), [] { return 0u; });
        TListView v;
        v.ListViewFuellen(liste);
        QCOMPARE(v.rowCount(), 0);
        QCOMPARE(v.ItemIndex(), -1);
        QVERIFY(!v.HatFokusZeile());
        for (QString pc : {"A", "BB", "CCC"})
            liste.Add(Host(pc, TStatus::sOnline, pc == "BB"), true);
        v.ListViewFuellen(liste);
        QCOMPARE(v.rowCount(), 3);
        QCOMPARE(Zeile(v, 1), (QStringList{"BB", "u-BB", "Online", "Aktiv", "10.0.0.2", "MAC-BB"}));
        QCOMPARE(v.currentRow(), 0);
        QCOMPARE(v.ItemIndex(), 0);
        // A refill does not keep the selection.
        v.ZeileFokussieren(2);
        v.ListViewFuellen(liste);
        QCOMPARE(v.ItemIndex(), 0);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 6; ++c)
                QCOMPARE(v.item(r, c)->textAlignment(), int(Qt::AlignCenter));
    }

    void zeileSetzen() {
        TListView v;
        for (QString pc : {"A", "BB", "CCC"})
            v.SetListViewItem(Host(pc, TStatus::sOffline, false), -1, true);
        v.SetListViewItem(Host("DDDD", TStatus::sOffline, false), 7, true); // beyond the end: appended
        QCOMPARE(v.rowCount(), 4);
        QCOMPARE(v.item(3, 0)->text(), QString("DDDD"));
        const int vorher = v.GeschriebeneZellen();
        v.SetListViewItem(Host("BB", TStatus::sOffline, false), 1, true);
        QCOMPARE(v.GeschriebeneZellen(), vorher); // identical record: no cell written
        v.SetListViewItem(Host("BB", TStatus::sOnline, true), 1, false);
        QCOMPARE(v.GeschriebeneZellen(), vorher + 2);
        QCOMPARE(Zeile(v, 1)[2], QString("Online"));
        QCOMPARE(Zeile(v, 1)[3], QString("Aktiv"));
    }

    // Long names never push a column out of view: such cells are elided, each with its
    // whole text in the tooltip; short cells keep theirs whole and have none.
    void langeTexteBleibenImBild() {
        TListView v;
        v.resize(900, 300);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        THostListRec lang = Host("A", TStatus::sOnline, true);
        lang.PC = QString(2000, 'W');
        lang.User = QString(255, 'U');
        lang.MAC = QString(255, 'M');
        v.SetListViewItem(Host("B", TStatus::sOffline, false), -1, true);
        v.SetListViewItem(lang, -1, true);
        v.SpaltenEinteilen(v.width());
        int summe = 0;
        for (int s = 0; s < 6; ++s) {
            QVERIFY(v.columnWidth(s) >= v.horizontalHeader()->sectionSizeHint(s));
            summe += v.columnWidth(s);
        }
        QCOMPARE(summe, v.viewport()->width());
        QCOMPARE(v.ZellTipp(1, 0), lang.PC);
        QCOMPARE(v.ZellTipp(1, 5), lang.MAC);
        QCOMPARE(v.ZellTipp(1, 4), QString());
        QCOMPARE(v.ZellTipp(0, 0), QString());
    }

    void klammern() {
        TListView v;
        v.BeginUpdate();
        v.BeginUpdate();
        QVERIFY(!v.updatesEnabled());
        v.EndUpdate();
        QVERIFY(!v.updatesEnabled());
        v.EndUpdate();
        QVERIFY(v.updatesEnabled());
        v.EndUpdate(); // one end too many does no harm
        QVERIFY(v.updatesEnabled());
        {
            TUpdateKlammer k(&v);
            QVERIFY(!v.updatesEnabled());
        }
        QVERIFY(v.updatesEnabled());
    }
};

QTEST_MAIN(TstListView)
#include "tst_listview.moc"
