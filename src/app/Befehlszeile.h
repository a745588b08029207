#pragma once
// The command line for scripts: list, power actions and schedules without the window. With
// a running instance it asks that one over the local interface; without one it runs the
// session core just long enough to send.

#include "common/TLaufzeit.h"
#include "hosts/THostListRec.h"
#include "platform/TPlattform.h"

#include <QStringList>
#include <QTextStream>
#include <optional>
#include <variant>

// Exit statuses a script can rely on.
enum TBefehlszeileErgebnis { BzFertig = 0, BzZielUnbekannt = 1, BzFalscheAngabe = 2, BzKeineAntwort = 3 };

struct TBzAuftrag {
    enum TArt { Hilfe, Version, Liste, Aktion, Zeitsteuerung, Zustand, Ansicht } Art = Hilfe;
    bool JsonS = false;
    QString AktionsWort; // "wecken", "einschlafen", "herunterfahren", "neustart"
    QStringList Ziele;
    bool AlleS = false;
    std::optional<QString> Setzen; // AKTION|JEDEN_TAG|dd.mm.yyyy|hh:nn
};

// Whether the arguments (without the program name) ask for the command line at all; a plain
// start and "/systemstartup" do not.
bool IstBefehlszeile(const QStringList& argumente);
// The order in the arguments, or what is wrong with them.
std::variant<TBzAuftrag, QString> AuftragLesen(const QStringList& argumente);

// The listed hosts the targets name: a device name (any case), an IPv4 address or a MAC in any
// usual spelling; alleS adds every host but the own ones (eigeneMacs). Or the message for an
// unknown or ambiguous target, naming the candidates.
std::variant<THostListListe, QString> ZieleAufloesen(const QStringList& ziele, bool alleS,
                                                     const THostListListe& liste,
                                                     const QStringList& eigeneMacs);

// Runs the order; the application object exists. Results go to aus, messages to fehler.
int BefehlszeileAusfuehren(const QStringList& argumente, TPlattform plattform, TLaufzeit& laufzeit,
                           QTextStream& aus, QTextStream& fehler);
