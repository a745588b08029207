// The command port (power actions on this computer, the schedule exchange) and the
// dispatch of power actions to other hosts.
#include "app/TForm1.h"

#include "common/TFelder.h"
#include "platform/TPlattform.h"
#include "power/Befehlsweg.h"
#include "power/WakeOnLan.h"
#include "protocol/Energieaktionen.h"
#include "protocol/Nachrichten.h"

#include <QThread>

void TForm1::UdpS1BefehlUDPRead(const QByteArray& daten, const QString& absenderIp) {
    const std::optional<QString> text = Protokoll::Annehmen(daten);
    if (!text)
        return;
    const TFelder felder(*text);
    const QString befehl = felder.Feld(2);
    const QString rest = felder.Anzahl() > 2 ? felder.RestAbFeld3() : QString();
    if (befehl == Protokoll::Einschlafen) {
        if (!Energieaktionen::Hibernieren())
            Timer1SetSuspendState.start(250);
    } else if (befehl == Protokoll::Herunterfahren) {
        Energieaktionen::Herunterfahren();
    } else if (befehl == Protokoll::Neustart) {
        Energieaktionen::Neustarten();
    } else {
        ZeitsteuerungsBefehl(befehl, rest, absenderIp);
    }
}

void TForm1::Timer1SetSuspendStateTimer() {
    Timer1SetSuspendState.stop();
    Energieaktionen::SuspendComputer();
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
        Plattform().ProgrammStarten(weg.Programm, weg.Argumente);
        break;
    }
}
