#include "app/TForm1.h"
#include "common/ResConst.h"
#include "support/TForm1Innen.h"
#include "support/TestUmgebung.h"
#include "ui/TNameDlg.h"
#include "ui/TPuLv1.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QSettings>
#include <QTest>

namespace {

QByteArray Lesen(const QString& pfad) {
    QFile f(pfad);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// The host list's context menu on a real main window: enabling, confirmations, rename,
// copy, move and delete, with the host list file rewritten.
class TstKontextmenue : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestUmgebung> FUmgebung;
    std::unique_ptr<TForm1> FForm;

    void Waehle(int zeile) {
        if (zeile < 0) {
            Innen(*FForm).ListView1->clearSelection();
            Innen(*FForm).ListView1->setCurrentCell(-1, -1);
        } else {
            Innen(*FForm).ListView1->ZeileFokussieren(zeile);
        }
        Innen(*FForm).PuLv1Popup();
    }
    bool An(QAction* a) const { return a->isEnabled(); }
    QStringList Spalte0() const {
        QStringList namen;
        for (int r = 0; r < Innen(*FForm).ListView1->rowCount(); ++r)
            namen << Innen(*FForm).ListView1->item(r, 0)->text();
        return namen;
    }

private slots:
    void init() {
        FUmgebung = std::make_unique<TTestUmgebung>();
        FUmgebung->NetzEinrichten();
        QDir().mkpath(QFileInfo(Laufzeit().HostlisteDatei).absolutePath());
        QFile f(Laufzeit().HostlisteDatei);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("ALPHA|anna|10.0.0.2|02-00-00-00-00-02\r\nBETA|bert|10.0.0.3|02-00-00-00-00-03\r\n"
                "GAMMA|gabi|10.0.0.4|02-00-00-00-00-04\r\n");
        f.close();
        FForm = FormStarten({});
        QCOMPARE(Laufzeit().EigeneMAC(), QString("02-00-00-00-00-01"));
        // A peer instance on BETA.
        Innen(*FForm).UdpS1SenderUDPRead("VTR1|1|BETA|bert|02-00-00-00-00-03|1", "10.0.0.3");
        QCOMPARE(Spalte0(), (QStringList{"ALPHA", "BETA", "GAMMA"}));
    }
    void cleanup() {
        FForm.reset();
        FUmgebung.reset();
    }

    void freigaben() {
        TPuLv1* m = Innen(*FForm).PuLv1;
        Waehle(-1);
        for (QAction* a : m->actions())
            if (!a->isSeparator())
                QCOMPARE(An(a), a == m->PuLv1MeinName);

        Waehle(0); // ALPHA: offline, no peer
        QVERIFY(An(m->PuLv1Aufwecken) && !An(m->PULv1Einschlafen) && !An(m->PuLv1Herunterfahren));
        QVERIFY(!An(m->PuLv1Oben) && An(m->PuLv1Unten) && An(m->PuLv1Loeschen));
        QVERIFY(!An(m->PuLv1Zeitsteuerung));

        Waehle(1); // BETA: online peer
        QVERIFY(!An(m->PuLv1Aufwecken) && An(m->PULv1Einschlafen) && An(m->PuLv1Herunterfahren));
        QVERIFY(An(m->PuLv1Neustart) && An(m->PuLv1Zeitsteuerung) && An(m->PuLv1Oben) && An(m->PuLv1Unten));

        Waehle(2);
        QVERIFY(An(m->PuLv1Oben) && !An(m->PuLv1Unten));

        // Without network: no power, rename or schedule; copy, move and delete still.
        Laufzeit().SetzeEigeneMAC(QString());
        Waehle(1);
        QVERIFY(!An(m->PuLv1Herunterfahren) && !An(m->PuLv1PcAendern) && !An(m->PuLv1MeinName));
        QVERIFY(!An(m->PuLv1Zeitsteuerung));
        QVERIFY(An(m->PuLv1IpKopieren) && An(m->PuLv1Oben) && An(m->PuLv1Loeschen));
    }

    void bestaetigung() {
        Waehle(1);
        FUmgebung->Meldungen.Antworten({false});
        Innen(*FForm).PuLv1->PuLv1Herunterfahren->trigger();
        QCOMPARE(FUmgebung->Meldungen.Texte,
                 QStringList{"Soll die Aktion \"Herunterfahren\" bei Gerät \"BETA\" durchgeführt werden?"});
        QVERIFY(FUmgebung->Fake().FGestartet.isEmpty());

        // GAMMA has no peer instance: the remote shutdown of the system.
        Innen(*FForm).HostList->SetStatus(2, TStatus::sOnline);
        Waehle(2);
        FUmgebung->Meldungen.Antworten({true});
        Innen(*FForm).PuLv1->PuLv1Neustart->trigger();
        QCOMPARE(FUmgebung->Meldungen.Texte.last(),
                 QString("Soll die Aktion \"Neustart\" bei Gerät \"GAMMA\" durchgeführt werden?"));
        QCOMPARE(FUmgebung->Fake().FGestartet,
                 (QStringList{"klist -s", "net rpc shutdown -r -I 10.0.0.4 -N"}));
    }

    void umbenennen() {
        Waehle(0);
        FUmgebung->Meldungen.DialogFueller = [](QDialog* d) {
            auto* dlg = qobject_cast<TNameDlg*>(d);
            QVERIFY(dlg);
            QCOMPARE(dlg->windowTitle(), QString("Gerätename ändern"));
            QCOMPARE(dlg->LeName->text(), QString("ALPHA"));
            dlg->LeName->setText("  KUECHE ");
        };
        FUmgebung->Meldungen.Antworten({true});
        Innen(*FForm).PuLv1->PuLv1PcAendern->trigger();
        QCOMPARE(Innen(*FForm).HostList->Get(0).PC, QString("KUECHE"));
        // Row and file follow with the next presence datagram.
        Innen(*FForm).UdpS1SenderUDPRead("VTR1|1|BETA|bert|02-00-00-00-00-03|1", "10.0.0.3");
        QCOMPARE(Spalte0()[0], QString("KUECHE"));
        QTRY_VERIFY(Lesen(Laufzeit().HostlisteDatei).startsWith("KUECHE|anna|"));

        // A running peer's names are its own.
        Waehle(1);
        FUmgebung->Meldungen.DialogFueller = {};
        Innen(*FForm).PuLv1->PuLv1BenutzerAendern->trigger();
        QCOMPARE(FUmgebung->Meldungen.Texte.last(),
                 QString("Einträge mit aktivem Sender dürfen nicht geändert oder gelöscht werden!"));
        QCOMPARE(Innen(*FForm).HostList->Get(1).User, QString("bert"));
    }

    void eigenerName() {
        // The user of the own computer is the own name, even when that row is a peer.
        Innen(*FForm).UdpS1SenderUDPRead("VTR1|1|TESTPC|tester|02-00-00-00-00-01|1", "10.0.0.1");
        Waehle(3);
        FUmgebung->Meldungen.DialogFueller = [](QDialog* d) {
            auto* dlg = qobject_cast<TNameDlg*>(d);
            QCOMPARE(dlg->windowTitle(), QString("Meinen Namen ändern"));
            QCOMPARE(dlg->LeName->text(), QString("tester"));
            dlg->LeName->setText("Tanja");
        };
        FUmgebung->Meldungen.Antworten({true});
        Innen(*FForm).PuLv1->PuLv1BenutzerAendern->trigger();
        QCOMPARE(Laufzeit().EigenerName, QString("Tanja"));
        QCOMPARE(Innen(*FForm).HostList->Get(3).User, QString("tester"));
        // Stored at once, so the next start announces it too.
        QSettings einstellungen(FUmgebung->Fake().Basis() + "/config/Veltrano/Veltrano.conf",
                                QSettings::IniFormat);
        QCOMPARE(einstellungen.value("MeinName").toString(), QString("Tanja"));
    }

    void verschieben() {
        Waehle(2);
        Innen(*FForm).PuLv1->PuLv1Oben->trigger();
        QCOMPARE(Spalte0(), (QStringList{"ALPHA", "GAMMA", "BETA"}));
        QCOMPARE(Innen(*FForm).ListView1->ItemIndex(), 1);
        QVERIFY(Lesen(Laufzeit().HostlisteDatei).contains("GAMMA|gabi|10.0.0.4|02-00-00-00-00-04\r\nBETA|"));
        Innen(*FForm).PuLv1Popup(); // the menu opens anew
        Innen(*FForm).PuLv1->PuLv1Unten->trigger();
        QCOMPARE(Spalte0(), (QStringList{"ALPHA", "BETA", "GAMMA"}));
        QCOMPARE(Innen(*FForm).ListView1->ItemIndex(), 2);
        QCOMPARE(Innen(*FForm).HostList->Get(1).SenderS, true); // whole records move
    }

    void loeschen() {
        Waehle(1);
        Innen(*FForm).PuLv1->PuLv1Loeschen->trigger(); // BETA is a running peer
        QCOMPARE(Innen(*FForm).HostList->Count(), 3);
        Waehle(2);
        FUmgebung->Meldungen.Antworten({false});
        Innen(*FForm).PuLv1->PuLv1Loeschen->trigger();
        QCOMPARE(FUmgebung->Meldungen.Texte.last(),
                 QString("Soll das Gerät \"GAMMA\" aus der Liste entfernt werden?"));
        QCOMPARE(Innen(*FForm).HostList->Count(), 3);
        FUmgebung->Meldungen.Antworten({true});
        Innen(*FForm).PuLv1->PuLv1Loeschen->trigger();
        QCOMPARE(Spalte0(), (QStringList{"ALPHA", "BETA"}));
        QCOMPARE(Innen(*FForm).ListView1->ItemIndex(), 1); // the last row went: the new last one
        QCOMPARE(Lesen(Laufzeit().HostlisteDatei).count("\r\n"), 2);
        Waehle(0);
        FUmgebung->Meldungen.Antworten({true});
        Innen(*FForm).PuLv1->PuLv1Loeschen->trigger();
        QCOMPARE(Spalte0(), (QStringList{"BETA"}));
        QCOMPARE(Innen(*FForm).ListView1->ItemIndex(), 0);
    }

    void tastenkuerzel() {
        Waehle(-1);
        FForm->activateWindow();
        // Shortcuts reach only the active window, and the window system activates it later.
        QVERIFY(QTest::qWaitForWindowActive(FForm.get()));
        Innen(*FForm).ListView1->setFocus();
        QTest::keyClick(Innen(*FForm).ListView1, Qt::Key_Delete);
        QVERIFY(FUmgebung->Meldungen.Texte.isEmpty()); // no row: nothing
        Waehle(0);
        Innen(*FForm).ListView1->setFocus();
        QTest::keyClick(Innen(*FForm).ListView1, Qt::Key_Delete);
        QCOMPARE(FUmgebung->Meldungen.Texte,
                 QStringList{"Soll das Gerät \"ALPHA\" aus der Liste entfernt werden?"});
    }

    void kopieren() {
        Waehle(2);
        Innen(*FForm).PuLv1->PuLv1IpKopieren->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("10.0.0.4"));
        Innen(*FForm).PuLv1->PuLv1MacKopieren->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("02-00-00-00-00-04"));
    }
};

QTEST_MAIN(TstKontextmenue)
#include "tst_kontextmenue.moc"
