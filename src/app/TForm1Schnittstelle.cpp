// The answers of the program's local interface (docs/lokale-schnittstelle.md): the state of the
// window and the store for the user's own tools, and the command line's actions carried out
// through the same dispatch as the context menu.
#include "app/TForm1.h"

#include "app/TCti.h"
#include "kern/LokaleSchnittstelle.h"
#include "schedule/TZeitsteuerung.h"
#include "ui/TMeldungsZeile.h"

#include <QApplication>
#include <QMessageBox>

namespace LS = LokaleSchnittstelle;

void TForm1::Anfrage(const QString& anfrage, TInstanz::TAntwort antwort) {
    // Requests with arguments: words separated by blanks.
    const QStringList teile = anfrage.split(u' ', Qt::SkipEmptyParts);
    const QString wort = teile.value(0);
    if (anfrage == LS::Zustand) {
        QStringList z;
        auto wert = [&z](const char* name, const QString& text) {
            z << QString::fromLatin1(name) + u'=' + LS::Kodieren(text);
        };
        wert("titel", windowTitle());
        wert("sichtbar", QString::number(isVisible() ? 1 : 0));
        wert("tray", QString::number(CtiSichtbar() ? 1 : 0));
        wert("breite", QString::number(frameGeometry().width()));
        wert("hoehe", QString::number(frameGeometry().height()));
        wert("eigenemac", FLaufzeit.EigeneMAC());
        wert("eigenername", FLaufzeit.EigenerName);
        wert("scanner", QString::number(Cb1Scanner->isChecked() ? 1 : 0));
        wert("scanner_aktiv", QString::number(Cb1Scanner->isEnabled() ? 1 : 0));
        wert("scanner_threads", QString::number(FLaufzeit.ScannerAnzahl));
        wert("desktop", QString::number(Cb1Desktop->isChecked() ? 1 : 0));
        wert("autostart", QString::number(Cb1Autostart->isChecked() ? 1 : 0));
        wert("statusbar", StatusBar1Panel->text());
        wert("meldung", StatusBar1Meldung->isHidden() ? QString() : StatusBar1Meldung->Meldung());
        wert("meldungen", FDateiMeldungen.join(u'\n'));
        wert("schrift", QStringLiteral("%1 %2").arg(FSchrift.Font.pointSize()).arg(FSchrift.Font.family()));
        wert("hintergrund", QString::number(GetHintergrundNr()));
        wert("zeitsteuerung", GetZeitsteuerung(false, false));
        wert("empfang", FKern->EmpfangsZustand());
        wert("sonde", FKern->SondenZustand());
        const QWidget* modal = QApplication::activeModalWidget();
        wert("dialog", modal ? modal->windowTitle() : QString());
        const auto* box = qobject_cast<const QMessageBox*>(modal);
        wert("dialog_text", box ? box->text() : QString());
        antwort(z.join(u'\n'));
    } else if (anfrage == LS::Liste) {
        THostList& liste = FKern->HostList();
        antwort(LS::ListeText(liste.GetListe(), liste.ChangeS()));
    } else if (anfrage == LS::Ansicht) {
        QStringList zeilen;
        for (int r = 0; r < ListView1->rowCount(); ++r) {
            QStringList zellen;
            for (int c = 0; c < ListView1->columnCount(); ++c) {
                const QTableWidgetItem* item = ListView1->item(r, c);
                zellen << LS::Kodieren(item ? item->text() : QString());
            }
            zeilen << zellen.join(u'\t');
        }
        antwort(zeilen.join(u'\n'));
    } else if (wort == LS::Befehl && teile.size() == 3) {
        // "befehl WORT MAC": the listed host of that MAC, without a question.
        const std::optional<int> nr = LS::AktionVonWort(teile.value(1));
        const THostListRec host = FKern->HostList().FindMAC(teile.value(2));
        if (!nr || host.MAC.isEmpty())
            antwort(LS::Fehler + QStringLiteral(" unbekannt"));
        else
            FKern->SendBefehl(*nr, host, [antwort](const QString& fehler) {
                antwort(fehler.isEmpty() ? LS::Ok : QString(LS::Fehler + u' ' + LS::Kodieren(fehler)));
            });
    } else if ((wort == LS::Zeitsteuerung && teile.size() == 2) ||
               (wort == LS::ZeitsteuerungSetzen && teile.size() == 3)) {
        // One exchange at a time, the window's own included.
        if (FKern->ZeitsteuerungWartetS() || FZsLaeuftS) {
            antwort(LS::Fehler + QStringLiteral(" belegt"));
            return;
        }
        auto verbindung = std::make_shared<QMetaObject::Connection>();
        if (wort == LS::Zeitsteuerung) {
            *verbindung = connect(FKern.get(), &TKern::ZeitsteuerungErhalten, this,
                                  [verbindung, antwort](const std::optional<QString>& text) {
                                      disconnect(*verbindung);
                                      antwort(text ? QString(LS::Ok + u' ' + LS::Kodieren(*text))
                                                   : QString(LS::Fehler + QStringLiteral(" keine Antwort")));
                                  });
            FKern->ZeitsteuerungAnfordern(teile.value(1));
        } else {
            *verbindung = connect(
                FKern.get(), &TKern::ZeitsteuerungBestaetigt, this, [verbindung, antwort](bool bestaetigtS) {
                    disconnect(*verbindung);
                    antwort(bestaetigtS ? LS::Ok : QString(LS::Fehler + QStringLiteral(" keine Antwort")));
                });
            // The receiver takes a stamped text: the sender's time in front.
            FKern->ZeitsteuerungSenden(teile.value(1),
                                       FPlattform.Uhr.Jetzt().toString(QStringLiteral("HH:mm:ss|")) +
                                           LS::Dekodieren(teile.value(2)));
        }
    } else {
        antwort(QString());
    }
}
