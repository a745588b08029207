#pragma once
// Which road a power action takes to a host: the magic packet, a datagram to the peer
// instance, or the system's remote shutdown for hosts without one.

#include "hosts/THostListRec.h"

#include <QString>
#include <QStringList>

// Action numbers as the menu items' tags number them.
enum TAktion { AktionAufwecken = 1, AktionEinschlafen = 2, AktionHerunterfahren = 3, AktionNeustart = 4 };

// "Aufwecken", "Einschlafen", "Herunterfahren", "Neustart", "Gerätename ändern",
// "Benutzername ändern", "Meinen Namen ändern"; index from 1.
QString AktionsName(int nr);

struct TBefehlsweg {
    enum TArt { Nichts, Aufwecken, Datagramm, Fernabschaltung } Art = Nichts;
    QString Wort;           // the command word of a datagram
    bool NeustartS = false; // remote shutdown: restart rather than power off
};

TBefehlsweg BefehlsWeg(int nr, const THostListRec& host);

// The one message that tells the user a remote shutdown or restart failed, with the reason
// the system gave.
QString FernabschaltungMeldung(int nr, const QString& pc, const QString& grund);
