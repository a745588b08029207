// The command port (power actions on this computer, the schedule exchange) and the
// dispatch of power actions to other hosts.
#include "app/TForm1.h"

#include "common/TFelder.h"
#include "power/Befehlsweg.h"
#include "power/WakeOnLan.h"
#include "protocol/Nachrichten.h"
#include "ui/TMeldungen.h"

#include <QThread>

void TForm1::UdpS1BefehlUDPRead(const QByteArray& daten, const QString& absenderIp) {
    const std::optional<QString> text = Protokoll::Annehmen(daten, FLaufzeit.StopS);
    if (!text)
        return;
    const TFelder felder(*text);
    const QString befehl = felder.Feld(2);
    const QString rest = felder.Anzahl() > 2 ? felder.RestAbFeld3() : QString();
    if (befehl == Protokoll::Einschlafen) {
        // Hibernation where the system allows it, otherwise sleep a moment later.
        FPlattform.Energie.HibernationPruefen([fenster = QPointer<TForm1>(this)](bool erlaubtS) {
            if (fenster && (!erlaubtS || !fenster->FPlattform.Energie.Hibernieren()))
                fenster->Timer1SetSuspendState.start(250);
        });
    } else if (befehl == Protokoll::Herunterfahren) {
        FPlattform.Energie.Herunterfahren();
    } else if (befehl == Protokoll::Neustart) {
        FPlattform.Energie.Neustarten();
    } else {
        ZeitsteuerungsBefehl(befehl, rest, absenderIp);
    }
}

void TForm1::Timer1SetSuspendStateTimer() {
    Timer1SetSuspendState.stop();
    FPlattform.Energie.Schlafen();
}

bool TForm1::WakeUpComputer(const QString& mac) {
    const std::optional<QByteArray> paket = MagicPacket(mac);
    if (!paket)
        return false;
    for (const TBroadcastRec& b : std::as_const(BroadcastIPs))
        if (!UdpS1Befehl.SendenBytes(*paket, b.BroadcastIP, FOptionen.BefehlPort))
            return false;
    return true;
}

void TForm1::SendBefehl(int nr, const THostListRec& host) {
    const TBefehlsweg weg = BefehlsWeg(nr, host);
    switch (weg.Art) {
    case TBefehlsweg::Nichts:
        break;
    case TBefehlsweg::Aufwecken:
        for (int i = 0; i < 5; ++i) {
            // A malformed address or a failed send skips the remaining repetitions.
            if (!WakeUpComputer(host.MAC))
                break;
            QThread::msleep(50);
        }
        break;
    case TBefehlsweg::Datagramm:
        UdpS1Befehl.Senden(Protokoll::Befehl(weg.Wort), host.IP, FOptionen.BefehlPort);
        break;
    case TBefehlsweg::Fernabschaltung:
        // Told once, when the other computer refused; success shows through the probe.
        FPlattform.Energie.FernAbschalten(
            host.IP, weg.NeustartS,
            [fenster = QPointer<TForm1>(this), nr, pc = host.PC](const QString& fehler) {
                if (fenster && !fehler.isEmpty())
                    Meldungen::Fehler(fenster, FernabschaltungMeldung(nr, pc, fehler));
            });
        break;
    }
}
