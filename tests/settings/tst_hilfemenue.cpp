#include "settings/HilfeMenue.h"
#include "support/TestUmgebung.h"
#include "ui/Farben.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

// Receives what QDesktopServices would hand to the browser, mail program or viewer.
class TUrlFaenger : public QObject {
    Q_OBJECT
public:
    QList<QUrl> Urls;
public slots:
    void Oeffnen(const QUrl& url) { Urls << url; }
};

class TstHilfeMenue : public QObject {
    Q_OBJECT

private slots:
    void menueZeigtNurWasDaIst() {
        TTestUmgebung u;
        QMainWindow fenster;
        const THilfeMenue m = HilfeMenueAnlegen(fenster.menuBar(), HilfeUmgebung());
        QCOMPARE(m.MenuHilfe->title(), "&Hilfe");
        QStringList texte;
        for (const QAction* a : m.MenuHilfe->actions())
            texte << a->text();
        QCOMPARE(texte,
                 QStringList({"Programm-&Info", "Programm-Home&page...", "Programm-&Aktualisierung...",
                              "Programm-&Änderungen...", "&Mail an den Programmierer...", "&Spenden..."}));
        QVERIFY(!m.MenuHilfeHistory->isEnabled());
        QVERIFY(!m.MenuHilfeUpdate->isVisible());
        // A build that names no maker shows none of the maker's items.
        for (const QAction* a : {m.MenuHilfeHomepage, m.MenuHilfeMail, m.MenuHilfeSpenden})
            QVERIFY(!a->isVisible());
        THilfeUmgebung mitMail = HilfeUmgebung();
        mitMail.Hersteller.Mail = "anna@muster.at";
        const THilfeMenue m2 = HilfeMenueAnlegen(fenster.menuBar(), mitMail);
        QVERIFY(!m2.MenuHilfeHomepage->isVisible() && m2.MenuHilfeMail->isVisible() &&
                !m2.MenuHilfeSpenden->isVisible());

        QFile h(ProgrammOrdner(HilfeUmgebung()) + "History.txt"),
            r(ProgrammOrdner(HilfeUmgebung()) + "Renovo.exe");
        QVERIFY(h.open(QIODevice::WriteOnly) && r.open(QIODevice::WriteOnly));
        emit m.MenuHilfe->aboutToShow();
        QVERIFY(m.MenuHilfeHistory->isEnabled());
        QVERIFY(m.MenuHilfeUpdate->isVisible());
    }

    void adressenGehenAnDenDesktop() {
        TTestUmgebung u;
        THilfeUmgebung hu = HilfeUmgebung();
        hu.Hersteller = {"Anna", {}, "https://muster.at/", "anna@muster.at", "https://muster.at/spenden.htm"};
        QFile h(ProgrammOrdner(hu) + "History.txt");
        QVERIFY(h.open(QIODevice::WriteOnly));
        TUrlFaenger f;
        for (const char* schema : {"https", "mailto", "file"})
            QDesktopServices::setUrlHandler(schema, &f, "Oeffnen");
        HilfeHomepageOeffnen(hu);
        HilfeMailOeffnen(hu);
        HilfeSpendenOeffnen(hu);
        HilfeHistoryOeffnen(hu);
        for (const char* schema : {"https", "mailto", "file"})
            QDesktopServices::unsetUrlHandler(schema);
        QCOMPARE(
            f.Urls,
            QList<QUrl>({QUrl("https://muster.at/"), QUrl("mailto:anna@muster.at?subject=Veltrano V1.01"),
                         QUrl("https://muster.at/spenden.htm"), QUrl::fromLocalFile(h.fileName())}));
    }

    void infoBox() {
        TTestUmgebung u;
        HilfeInfoZeigen(nullptr, HilfeUmgebung());
        QCOMPARE(u.Meldungen.Arten, QList<Meldungen::TArt>{Meldungen::TArt::Information});
        QCOMPARE(u.Meldungen.Texte, QStringList{ProgrammInfoText(BauHersteller())});
    }

    void updateFehlerZeigtErstDasFenster() {
        TTestUmgebung u;
        QVERIFY(QDir().mkpath(UebergabeDatei(HilfeUmgebung())));
        TProgrammSchrift schrift;
        QStringList ablauf;
        const bool okS = HilfeUpdate(
            nullptr, HilfeUmgebung(), "PC - Veltrano V1.01", schrift,
            [&] { ablauf << "wiederhergestellt:" + QString::number(u.Meldungen.Texte.size()); },
            [&](const QString&, const QStringList&) { ablauf << "gestartet"; });
        QVERIFY(!okS);
        QCOMPARE(ablauf, QStringList{"wiederhergestellt:0"});
        QCOMPARE(u.Meldungen.Arten, QList<Meldungen::TArt>{Meldungen::TArt::Fehler});
        QCOMPARE(u.Meldungen.Texte, QStringList{UpdateFehlerText(UebergabeDatei(HilfeUmgebung()))});
    }

    void updateSchreibtSchriftGroesseUndName() {
        TTestUmgebung u;
        TProgrammSchrift schrift;
        schrift.Font = QFont("Liberation Serif");
        schrift.Font.setPointSize(14);
        QStringList gestartet;
        QVERIFY(HilfeUpdate(nullptr, HilfeUmgebung(), "PC - Veltrano V1.01", schrift, {},
                            [&](const QString& p, const QStringList& a) { gestartet << p << a; }));
        QFile f(UebergabeDatei(HilfeUmgebung()));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().endsWith("\r\n14 Liberation Serif\r\n"));
        QCOMPARE(gestartet.value(1), "Veltrano.cfg");
        QVERIFY(u.Meldungen.Texte.isEmpty());
    }
};

QTEST_MAIN(TstHilfeMenue)
#include "tst_hilfemenue.moc"
