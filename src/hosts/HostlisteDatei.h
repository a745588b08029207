#pragma once
// "Hostliste.txt": one line per entry, PC|User|IP|MAC, CR LF after every line, written
// in the ANSI code page; blank fields are written as a single space.

#include "hosts/THostListRec.h"

#include <QByteArray>

class TDateien;

// Records from the file's bytes, in file order; lines with fewer than four fields are
// skipped. Size is bounded only by the input.
THostListListe LeseHostliste(TDateien& dateien, const QByteArray& inhalt);
QByteArray SchreibeHostliste(TDateien& dateien, const THostListListe& liste);

// The text itself, or " " when it holds only characters up to 32.
QString SpaceIfBlank(const QString& text);
