#pragma once
// The names the scanner shows for a host it found: the device name from a reverse lookup
// (or, where that knows none, from NetBIOS) and the logged-on user from NetBIOS.

#include "net/NetBios.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class TNetzSuche;

// How long the hosts of one block may keep the sweep waiting for their NetBIOS answers,
// all of them together: a host that ignores the query costs no more.
inline constexpr int NetBiosWarteMs = 50;

// Reverse lookups of one group that may still run, process-wide; beyond it a group goes
// without (its names then come from NetBIOS only).
inline constexpr int RueckwaertsHelferMax = 256;

// The names of a group of hosts, asked all at once: the NetBIOS queries in one round, then
// (with rueckwaertsS) the reverse lookups side by side, so that hosts that ignore NetBIOS or
// a slow resolver cost the group their longest wait, not the sum of them.
//
// The lookups run on threads of their own. When anhalten turns true the constructor returns
// at once (within AnhaltenPruefMs) without the missing names; lookups still inside the
// resolver are left to finish by themselves and touch nothing but their own state.
class TNamensauskunft {
public:
    TNamensauskunft(TNetzSuche& suche, const QList<quint32>& adressen, bool rueckwaertsS = true,
                    const std::function<bool()>& anhalten = {});
    static constexpr int AnhaltenPruefMs = 20;

    // Name by reverse lookup; else the computer name of the NetBIOS answer; else empty.
    QString ResolveHostName(quint32 adresse) const;
    // The user names of the NetBIOS answer, or none.
    QStringList ReadLoggedOnUsers(quint32 adresse) const;
    // The computer name of the NetBIOS answer, or empty.
    QString NetBiosName(quint32 adresse) const;

private:
    QHash<quint32, TNetBiosStatus> FStatus;
    QHash<quint32, QString> FRueckwaerts;
};

// The same for a single address in dotted text; empty for anything else.
QString ResolveHostName(TNetzSuche& suche, const QString& adresse);
QStringList ReadLoggedOnUsers(TNetzSuche& suche, const QString& adresse);

// The first name without "$" (machine accounts end in it); else the first; else empty.
QString ChooseUserName(const QStringList& namen);
