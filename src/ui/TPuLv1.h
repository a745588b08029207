#pragma once
// The host list's context menu with its thirteen items, and the dialogs behind the
// editing actions. The main window connects the items to its handlers.

#include "hosts/THostListRec.h"
#include "ui/PuLv1Regeln.h"

#include <QMenu>
#include <functional>
#include <optional>

class QAbstractScrollArea;
struct TProgrammSchrift;

class TPuLv1 : public QMenu {
    Q_OBJECT
public:
    // Opens on the list's context-menu request; the shortcuts act while the list has the
    // focus.
    explicit TPuLv1(QAbstractScrollArea* liste);

    QAction* PuLv1Aufwecken = nullptr;       // tag 1
    QAction* PULv1Einschlafen = nullptr;     // tag 2
    QAction* PuLv1Herunterfahren = nullptr;  // tag 3
    QAction* PuLv1Neustart = nullptr;        // tag 4
    QAction* PuLv1PcAendern = nullptr;       // tag 1, Ctrl+G
    QAction* PuLv1BenutzerAendern = nullptr; // tag 2, Ctrl+B
    QAction* PuLv1MeinName = nullptr;        // tag 3
    QAction* PuLv1IpKopieren = nullptr;      // tag 1
    QAction* PuLv1MacKopieren = nullptr;     // tag 2
    QAction* PuLv1Zeitsteuerung = nullptr;   // tag 0, Ctrl+Z
    QAction* PuLv1Oben = nullptr;            // tag 1, Ctrl+Up
    QAction* PuLv1Unten = nullptr;           // tag 2, Ctrl+Down
    QAction* PuLv1Loeschen = nullptr;        // tag 0, Del

    QAction* Eintrag(TPuLv1Eintrag e) const { return FEintraege[size_t(e)]; }
    static int Tag(const QAction* aktion);
    void Freigeben(const TPuLv1Freigaben& freigaben);

    // PuLv1Popup: runs when the menu opens and when one of its shortcut keys is pressed,
    // before the shortcut acts, so a disabled item's shortcut does nothing.
    std::function<void()> Popup;

protected:
    bool eventFilter(QObject* objekt, QEvent* ereignis) override;

private:
    QAction* Neu(const QString& text, int tag, const QKeySequence& kuerzel = {});
    QAbstractScrollArea* FListe;
    std::array<QAction*, PuLv1Anzahl> FEintraege{};
};

// PuLv1PcBenutzerAendernClick without the store: decides the effective tag, refuses an
// entry of a running peer instance, asks for the name. eintrag may be null for tag 3.
struct TNamensAenderung {
    int Tag;      // 1 device name, 2 user name (SetPCUser), 3 own user name (EigenerName)
    QString Name; // trimmed, never empty
};
std::optional<TNamensAenderung> NameAendern(QWidget* eltern, int tag, const THostListRec* eintrag,
                                            const QString& eigenerPC, const QString& eigenerName,
                                            const TProgrammSchrift& schrift, const QColor& hintergrund);

// Steps 1 and 2 of PuLv1LoeschenClick: the refusal for a running peer instance, then the
// question; true when the entry may go.
bool LoeschenBestaetigen(QWidget* eltern, const THostListRec& eintrag);
