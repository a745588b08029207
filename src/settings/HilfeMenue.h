#pragma once
// The main window's "&Hilfe" menu: its items and the six actions, each a one-line call
// for the window's handlers.

#include "settings/Hilfe.h"

#include <functional>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;
struct TProgrammSchrift;

struct THilfeMenue {
    QMenu* MenuHilfe = nullptr;
    QAction* MenuHilfeInfo = nullptr;
    QAction* MenuHilfeHomepage = nullptr;
    QAction* MenuHilfeUpdate = nullptr;
    QAction* MenuHilfeHistory = nullptr;
    QAction* MenuHilfeMail = nullptr;
    QAction* MenuHilfeSpenden = nullptr;
};

// Adds "&Hilfe" with its six items to the menu bar; the caller connects the items. The home
// page, mail and donation items are shown only where the maker gives that address.
THilfeMenue HilfeMenueAnlegen(QMenuBar* leiste, const THilfeUmgebung& u);
// Each time the menu opens: history enabled, update shown, only when the file exists.
void MenuHilfeClick(const THilfeMenue& menue, const THilfeUmgebung& u);

void HilfeInfoZeigen(QWidget* eltern, const THilfeUmgebung& u);
// The desktop's handlers: web browser, mail program, the default viewer for text files.
void HilfeHomepageOeffnen(const THilfeUmgebung& u);
void HilfeMailOeffnen(const THilfeUmgebung& u);
void HilfeSpendenOeffnen(const THilfeUmgebung& u);
void HilfeHistoryOeffnen(const THilfeUmgebung& u);
// The update hand-off. When the file cannot be written: wiederherstellen runs first (the
// caller shows its window there if it is hidden in the tray), then the error box; the
// updater is not started. True when the updater was started.
bool HilfeUpdate(QWidget* eltern, const THilfeUmgebung& u, const QString& fensterTitel,
                 const TProgrammSchrift& schrift, const std::function<void()>& wiederherstellen,
                 const TProgrammStarter& starter = {});
