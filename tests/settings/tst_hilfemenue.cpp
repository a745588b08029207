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

        QFile h(ProgrammOrdner(HilfeUmgebung()) + "History.txt"),
            r(ProgrammOrdner(HilfeUmgebung()) + "Renovo.exe");
        QVERIFY(h.open(QIODevice::WriteOnly) && r.open(QIODevice::WriteOnly));
        emit m.MenuHilfe->aboutToShow();
        QVERIFY(m.MenuHilfeHistory->isEnabled());
        QVERIFY(m.MenuHilfeUpdate->isVisible());
    }

    void adressenGehenAnDenDesktop() {
        TTestUmgebung u;
        TUrlFaenger f;
        for (const char* schema : {"https", "mailto", "file"})
            QDesktopServices::setUrlHandler(schema, &f, "Oeffnen");
        HilfeHomepageOeffnen();
        HilfeMailOeffnen();
        HilfeSpendenOeffnen();
        HilfeHistoryOeffnen(HilfeUmgebung());
        for (const char* schema : {"https", "mailto", "file"})
            QDesktopServices::unsetUrlHandler(schema);
        QCOMPARE(f.Urls, QList<QUrl>({HomepageUrl(), MailUrl(), SpendenUrl(), HistoryUrl(HilfeUmgebung())}));
    }

    void infoBox() {
        TTestUmgebung u;
        HilfeInfoZeigen(nullptr);
        QCOMPARE(u.Meldungen.Arten, QList<Meldungen::TArt>{Meldungen::TArt::Information});
        QCOMPARE(u.Meldungen.Texte, QStringList{ProgrammInfoText()});
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
