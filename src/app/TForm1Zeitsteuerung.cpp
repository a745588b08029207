// The schedule dialog's side of the own schedule and of the exchange of schedules with peers.
#include "app/TForm1.h"

#include "common/DatumZeit.h"
#include "common/ResConst.h"
#include "common/TFelder.h"
#include "schedule/TZeitDlg.h"
#include "schedule/TZeitsteuerung.h"
#include "ui/TMeldungen.h"

const TZeitsteuerungRec& TForm1::Zeitsteuerung() const {
    return FKern->Zeitsteuerung().Zeitsteuerung();
}

QString TForm1::GetZeitsteuerung(bool timeS, bool dlgS) {
    return FKern->Zeitsteuerung().GetZeitsteuerung(timeS, dlgS);
}

void TForm1::SetZeitsteuerung(const QString& aData, bool timerS, bool saveFileS) {
    FKern->Zeitsteuerung().SetZeitsteuerung(aData, timerS, saveFileS);
}

void TForm1::SetZeitsteuerung(const TZeitsteuerungRec& aZeitsteuerung) {
    FKern->Zeitsteuerung().SetZeitsteuerung(aZeitsteuerung);
}

void TForm1::ZeitsteuerungLadenSpeichern(bool ladenS) {
    FKern->Zeitsteuerung().ZeitsteuerungLadenSpeichern(ladenS);
}

namespace {
// Whole seconds between two times of day, without wrapping at midnight.
int SekundenAbstand(const QTime& a, const QTime& b) {
    return qAbs(a.msecsTo(b)) / 1000;
}
} // namespace

void TForm1::PuLv1ZeitsteuerungClick() {
    // One exchange at a time; the menu stays reachable while the peer is asked.
    if (FZsLaeuftS)
        return;
    const THostListRec e = FKern->HostList().Get(ListView1->ItemIndex());
    FZsLaeuftS = true;
    FZsIp = e.IP;
    FZsGeraet = e.PC;
    FKern->ZeitsteuerungAnfordern(FZsIp);
}

void TForm1::ZeitsteuerungErhalten(const std::optional<QString>& text) {
    if (!FZsLaeuftS)
        return;
    if (!text) {
        FZsLaeuftS = false;
        if (!FLaufzeit.StopS)
            Meldungen::Information(
                this,
                QStringLiteral("Zeitsteuerungs-Daten konnten nicht von Gerät \"%1\" angefordert werden!")
                    .arg(FZsGeraet));
        return;
    }

    const QTime eigeneZeit = FPlattform.Uhr.Jetzt().time();
    const QTime fremdeZeit = LeseZeit(TFelder(*text).Feld(1)).value_or(eigeneZeit);
    if (FZsGeraet != FLaufzeit.EigenerPC && SekundenAbstand(eigeneZeit, fremdeZeit) > 60)
        Meldungen::Information(
            this,
            QStringLiteral(
                "Die Uhrzeit von Gerät \"%1\" und Gerät \"%2\" unterscheidet sich um mehr als eine Minute!")
                .arg(FLaufzeit.EigenerPC, FZsGeraet));

    ZeitDlg->setWindowTitle(TZeitDlg::Titel(FZsGeraet));
    SetZeitsteuerung(*text, false, false);
    ZeitDlg->SchriftartZuweisen(FSchrift, Hintergrund());
    if (!Meldungen::ZeigeModal(ZeitDlg) || FLaufzeit.StopS) {
        FZsLaeuftS = false;
        return;
    }
    FKern->ZeitsteuerungSenden(FZsIp, GetZeitsteuerung(true, true));
}

void TForm1::ZeitsteuerungBestaetigt(bool bestaetigtS) {
    if (!FZsLaeuftS)
        return;
    FZsLaeuftS = false;
    if (FLaufzeit.StopS)
        return;
    Meldungen::Information(
        this, bestaetigtS
                  ? QStringLiteral("Zeitsteuerungs-Daten wurden erfolgreich an Gerät \"%1\" übermittelt!")
                        .arg(FZsGeraet)
                  : QStringLiteral("Zeitsteuerungs-Daten konnten nicht an Gerät \"%1\" übermittelt werden!")
                        .arg(FZsGeraet));
}
