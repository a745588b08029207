// The presence cycle and its reception: how peers enter the list, the view and the file.
#include "app/TForm1.h"

#include "common/ResConst.h"
#include "common/TFelder.h"
#include "net/Netzwerkschnittstellen.h"
#include "protocol/Nachrichten.h"

void TForm1::SendBroadcast(bool onlineS) {
    FillBroadcastList(FPlattform.Netz, true, BroadcastIPs);
    const bool netzS = !BroadcastIPs.isEmpty();
    // The scanner needs an interface to sweep.
    Cb1Scanner->setEnabled(netzS);
    PuCtiScanner->setEnabled(netzS);
    if (netzS) {
        FLaufzeit.SetzeEigeneMAC(BroadcastIPs.first().MAC);
        for (const TBroadcastRec& b : std::as_const(BroadcastIPs))
            if (!UdpS1Sender.Senden(
                    Protokoll::Praesenz(onlineS, FLaufzeit.EigenerPC, FLaufzeit.EigenerName, b.MAC),
                    b.BroadcastIP, FOptionen.SenderPort, b.IP, b.Schnittstelle)) {
                // The next attempt comes later than usual; what went out stays out.
                Timer1Sender.setInterval(5000);
                return;
            }
    } else if (!FLaufzeit.EigeneMAC().isEmpty()) {
        // The last interface has just gone: once per loss, every host off line.
        FLaufzeit.SetzeEigeneMAC(QString());
        HostList->AlleOffline();
        ListViewFuellen();
    }
}

void TForm1::ListViewFuellen() {
    ListView1->ListViewFuellen(*HostList);
}

void TForm1::SetListViewItem(const THostListRec& host, int index, bool makeBeginUpdate) {
    ListView1->SetListViewItem(host, index, makeBeginUpdate);
}

void TForm1::UdpS1SenderUDPRead(const QByteArray& daten, const QString& absenderIp) {
    const std::optional<QString> text = Protokoll::Annehmen(daten, FLaufzeit.StopS);
    const std::optional<Protokoll::TPraesenzRec> praesenz =
        text ? Protokoll::LesePraesenz(*text) : std::nullopt;
    if (!praesenz)
        return;

    // The schedule has no clock of its own: every announcement, the own ones every 2 s,
    // runs its due test.
    if (!Timer1Zeitsteuerung.isActive() && IsZeitsteuerung())
        Timer1Zeitsteuerung.start(50);

    const int neu = HostList->Add(Protokoll::PraesenzEintrag(*praesenz, absenderIp, HostList->Tick()), false);

    bool zeilenNeuS = false;
    {
        TListenSperre sperre(*HostList);
        if (neu >= 0 || ListView1->rowCount() < HostList->Count()) {
            TUpdateKlammer klammer(ListView1);
            for (int i = ListView1->rowCount(); i < HostList->Count(); ++i)
                SetListViewItem(HostList->Get(i), -1, false);
            if (!ListView1->HatFokusZeile())
                ListView1->ZeileFokussieren(0);
            zeilenNeuS = true;
        }
    }
    if (zeilenNeuS)
        HostlisteSpeichern();

    if (!HostList->ChangeS())
        return;
    if (neu == -1)
        HostlisteSpeichern();
    TListenSperre sperre(*HostList);
    TUpdateKlammer klammer(ListView1);
    const int anzahl = HostList->Count();
    for (int i = 0; i < anzahl; ++i) {
        const THostListRec e = HostList->Get(i);
        if (e.ChangeS) {
            SetListViewItem(e, i, false);
            HostList->SetChangeS(i, false);
        }
    }
    HostList->SetListChangeS(false);
}

void TForm1::HostlisteSpeichern() {
    // Changes that come in a burst share one save: each save goes to the disk (fsync),
    // and a flood of changing announcements must not hold the window up.
    if (!FSpeichern.isActive())
        FSpeichern.start(250);
}

void TForm1::HostlisteJetztSpeichern() {
    FSpeichern.stop();
    HostList->LoadSaveListe(false);
}
