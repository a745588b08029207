#pragma once
// Rules of the host list's context menu: which items are enabled, and how a rename is
// decided. Pure functions of the selection and the selected entry.

#include "common/ResConst.h"

#include <QString>
#include <array>

// The thirteen items of PuLv1, top to bottom (separators left out).
enum class TPuLv1Eintrag {
    Aufwecken,
    Einschlafen,
    Herunterfahren,
    Neustart,
    PcAendern,
    BenutzerAendern,
    MeinName,
    IpKopieren,
    MacKopieren,
    Zeitsteuerung,
    Oben,
    Unten,
    Loeschen,
};
constexpr int PuLv1Anzahl = 13;

struct TPuLv1Lage {
    bool NetzS = false;                 // EigeneMAC is not empty
    int Index = -1;                     // selected row, -1 for none
    int Anzahl = 0;                     // rows of the view
    TStatus Status = TStatus::sOffline; // of the selected entry
    bool SenderS = false;               // of the selected entry
};

struct TPuLv1Freigaben {
    std::array<bool, PuLv1Anzahl> Feld{};
    bool operator[](TPuLv1Eintrag e) const { return Feld[size_t(e)]; }
};

TPuLv1Freigaben PuLv1Freigaben(const TPuLv1Lage& lage);

// Rename: tag 1 device, 2 user, 3 own user name. The user of the own computer is the own
// user name, so tag 2 on the row whose device is EigenerPC (exact) becomes 3.
int UmbenennenTag(int tag, const QString& eintragPC, const QString& eigenerPC);
// Entries of a running peer instance keep the names it announces; the own name is free.
bool UmbenennenAbgelehnt(int tag, bool senderS);
// "Gerätename ändern", "Benutzername ändern", "Meinen Namen ändern" for tags 1 to 3.
QString NameDlgTitel(int tag);

QString SenderAblehnungText();
QString LoeschenFrageText(const QString& pc);
