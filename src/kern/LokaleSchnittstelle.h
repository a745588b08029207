#pragma once
// The program's local interface (docs/lokale-schnittstelle.md): the request words the running
// instance answers on its local socket, and the form of their answers. The window answers,
// the command line asks.

#include "hosts/THostListRec.h"

#include <QString>
#include <optional>

namespace LokaleSchnittstelle {

inline const QString Zustand = QStringLiteral("zustand");
inline const QString Liste = QStringLiteral("liste");
inline const QString Ansicht = QStringLiteral("ansicht");
inline const QString Befehl = QStringLiteral("befehl");
inline const QString Zeitsteuerung = QStringLiteral("zeitsteuerung");
inline const QString ZeitsteuerungSetzen = QStringLiteral("zeitsteuerung-setzen");

inline const QString Ok = QStringLiteral("ok");
inline const QString Fehler = QStringLiteral("fehler");

// A value inside a cell: backslash, line breaks and tabs written as \\, \n, \r and \t, so
// values from the network cannot break lines or cells.
QString Kodieren(QString wert);
QString Dekodieren(const QString& zelle);

// "liste": first line 1 while changes wait for the view, else 0; then one line per host:
// device name, IP, MAC, status, sender mark (1/0), waits for the view (1/0), user.
QString ListeText(const THostListListe& liste, bool wartetS);
THostListListe ListeLesen(const QString& antwort);

// The power action of a command word ("wecken", "einschlafen", "herunterfahren", "neustart"):
// its number in the context menu's numbering.
std::optional<int> AktionVonWort(const QString& wort);

} // namespace LokaleSchnittstelle
