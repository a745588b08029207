#pragma once
// Hardware (MAC) addresses. Their text form is the same everywhere in the program, because
// entries are matched by exact, case-sensitive comparison: two upper-case hex digits per
// byte, joined by '-', as 00-1A-2B-3C-4D-5E.

#include <QByteArrayView>
#include <QString>

class TNetz;

// The one function that writes the text form; no bytes give the empty text.
QString MacFormatieren(QByteArrayView bytes);

// Hardware address of an IPv4 address in dotted text: the own interface's for an own
// address, a neighbour's from the system's table once it is known there; empty when it is
// not known or the text is not an address. Thread-safe.
QString ResolveMAC(TNetz& netz, const QString& ip);
