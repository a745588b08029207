#pragma once
// "Hostliste.txt": one line per entry, PC|User|IP|MAC, CR LF after every line, written
// in the ANSI code page; blank fields are written as a single space.

#include "hosts/THostListRec.h"

#include <QByteArray>

class TDateien;

// Only this much of a host list is read. The longest list the program writes is a full one
// (THostList::MaxEintraege, 8 192 entries) with names and hardware addresses of the 255
// characters a presence keeps, each character three bytes in UTF-8: about 18.1 MiB. A
// bigger file is not one the program wrote, and is not read at all.
constexpr qint64 MaxHostlisteGroesse = 24 * 1024 * 1024;

// What a host list file holds.
struct THostlisteInhalt {
    // The records to load, in file order: every line with at least four fields, or, in a
    // damaged file, only the sound lines.
    THostListListe Eintraege;
    int Zeilen = 0;      // lines that are not blank
    int Unbrauchbar = 0; // of them: fewer than four fields, or a control character in one
    // Most lines are unusable: the file is not a host list, or it was damaged.
    bool BeschaedigtS = false;
};

THostlisteInhalt LeseHostlisteDatei(TDateien& dateien, const QByteArray& inhalt);
// The records LeseHostlisteDatei loads.
THostListListe LeseHostliste(TDateien& dateien, const QByteArray& inhalt);
QByteArray SchreibeHostliste(TDateien& dateien, const THostListListe& liste);

// The text itself, or " " when it holds only characters up to 32.
QString SpaceIfBlank(const QString& text);
