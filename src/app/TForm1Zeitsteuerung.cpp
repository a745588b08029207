// The own schedule (file, due test, carrying out) and the exchange of schedules with peers.
#include "app/TForm1.h"

#include "common/DatumZeit.h"
#include "common/ResConst.h"
#include "common/TFelder.h"
#include "protocol/Nachrichten.h"
#include "schedule/TZeitDlg.h"
#include "schedule/TZeitsteuerung.h"
#include "ui/TMeldungen.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QThread>

const TZeitsteuerungRec& TForm1::Zeitsteuerung() const {
    return FZeitsteuerung->Zeitsteuerung();
}

QString TForm1::GetZeitsteuerung(bool timeS, bool dlgS) {
    return FZeitsteuerung->GetZeitsteuerung(timeS, dlgS);
}

void TForm1::SetZeitsteuerung(const QString& aData, bool timerS, bool saveFileS) {
    FZeitsteuerung->SetZeitsteuerung(aData, timerS, saveFileS);
}

void TForm1::SetZeitsteuerung(const TZeitsteuerungRec& aZeitsteuerung) {
    FZeitsteuerung->SetZeitsteuerung(aZeitsteuerung);
}

void TForm1::ZeitsteuerungLadenSpeichern(bool ladenS) {
    FZeitsteuerung->ZeitsteuerungLadenSpeichern(ladenS);
}

bool TForm1::IsZeitsteuerung() {
    return FZeitsteuerung->IsZeitsteuerung(FLaufzeit.StopS, SchonIcmpS);
}

void TForm1::Timer1ZeitsteuerungTimer() {
    Timer1Zeitsteuerung.stop();
    const std::optional<int> nr = FZeitsteuerung->AusfuehrungMerken();
    const QString eigeneMac = FLaufzeit.EigeneMAC();
    // The own entry normally carries the Sender mark, so the command goes to the own
    // command listener as a datagram.
    if (nr && !eigeneMac.isEmpty())
        SendBefehl(*nr, HostList->FindMAC(eigeneMac));
}

void TForm1::ZeitsteuerungsBefehl(const QString& befehl, const QString& rest, const QString& absenderIp) {
    if (befehl == Protokoll::ZsAnfordern) {
        UdpS1Befehl.Senden(Protokoll::MitZeitsteuerung(Protokoll::ZsAntwort, GetZeitsteuerung(true, false)),
                           absenderIp, FOptionen.BefehlPort);
    } else if (befehl == Protokoll::ZsAntwort) {
        ZeitsteuerungStr = rest;
        ZeitsteuerungEmpfangenS = true;
    } else if (befehl == Protokoll::ZsSenden) {
        SetZeitsteuerung(rest, true, true);
        UdpS1Befehl.Senden(Protokoll::Befehl(Protokoll::ZsGesendet), absenderIp, FOptionen.BefehlPort);
    } else if (befehl == Protokoll::ZsGesendet) {
        ZeitsteuerungGesendetS = true;
    }
}

bool TForm1::AufAntwortWarten(const bool& flagS) {
    // The window stays responsive: the answer itself arrives through these events.
    for (int runde = 0; !flagS && runde < 501 && !FLaufzeit.StopS; ++runde) {
        QThread::msleep(5);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    return flagS;
}

namespace {
// Whole seconds between two times of day, without wrapping at midnight.
int SekundenAbstand(const QTime& a, const QTime& b) {
    return qAbs(a.msecsTo(b)) / 1000;
}
} // namespace

void TForm1::PuLv1ZeitsteuerungClick() {
    // One exchange at a time: the waits keep the menu reachable.
    if (FZsLaeuftS)
        return;
    FZsLaeuftS = true;
    const auto ende = qScopeGuard([this] { FZsLaeuftS = false; });

    const THostListRec e = HostList->Get(ListView1->ItemIndex());
    const QString ip = e.IP, geraet = e.PC;

    ZeitsteuerungEmpfangenS = false;
    const bool angefragtS =
        UdpS1Befehl.Senden(Protokoll::Befehl(Protokoll::ZsAnfordern), ip, FOptionen.BefehlPort);
    if (!angefragtS || !AufAntwortWarten(ZeitsteuerungEmpfangenS)) {
        if (!FLaufzeit.StopS)
            Meldungen::Information(
                this,
                QStringLiteral("Zeitsteuerungs-Daten konnten nicht von Gerät \"%1\" angefordert werden!")
                    .arg(geraet));
        return;
    }

    const QTime eigeneZeit = FPlattform.Uhr.Jetzt().time();
    const QTime fremdeZeit = LeseZeit(TFelder(ZeitsteuerungStr).Feld(1)).value_or(eigeneZeit);
    if (geraet != FLaufzeit.EigenerPC && SekundenAbstand(eigeneZeit, fremdeZeit) > 60)
        Meldungen::Information(
            this,
            QStringLiteral(
                "Die Uhrzeit von Gerät \"%1\" und Gerät \"%2\" unterscheidet sich um mehr als eine Minute!")
                .arg(FLaufzeit.EigenerPC, geraet));

    ZeitDlg->setWindowTitle(TZeitDlg::Titel(geraet));
    SetZeitsteuerung(ZeitsteuerungStr, false, false);
    ZeitDlg->SchriftartZuweisen(FSchrift, Hintergrund());
    if (!Meldungen::ZeigeModal(ZeitDlg) || FLaufzeit.StopS)
        return;

    ZeitsteuerungGesendetS = false;
    const bool gesendetS =
        UdpS1Befehl.Senden(Protokoll::MitZeitsteuerung(Protokoll::ZsSenden, GetZeitsteuerung(true, true)), ip,
                           FOptionen.BefehlPort);
    const bool bestaetigtS = gesendetS && AufAntwortWarten(ZeitsteuerungGesendetS);
    if (FLaufzeit.StopS)
        return;
    Meldungen::Information(
        this, bestaetigtS
                  ? QStringLiteral("Zeitsteuerungs-Daten wurden erfolgreich an Gerät \"%1\" übermittelt!")
                        .arg(geraet)
                  : QStringLiteral("Zeitsteuerungs-Daten konnten nicht an Gerät \"%1\" übermittelt werden!")
                        .arg(geraet));
}
