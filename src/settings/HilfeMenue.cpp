#include "settings/HilfeMenue.h"

#include "ui/Farben.h"
#include "ui/TMeldungen.h"

#include <QAction>
#include <QDesktopServices>
#include <QMenu>
#include <QMenuBar>

THilfeMenue HilfeMenueAnlegen(QMenuBar* leiste, const THilfeUmgebung& u) {
    THilfeMenue m;
    m.MenuHilfe = leiste->addMenu(QStringLiteral("&Hilfe"));
    m.MenuHilfeInfo = m.MenuHilfe->addAction(QStringLiteral("Programm-&Info"));
    m.MenuHilfeHomepage = m.MenuHilfe->addAction(QStringLiteral("Programm-Home&page..."));
    m.MenuHilfeUpdate = m.MenuHilfe->addAction(QStringLiteral("Programm-&Aktualisierung..."));
    m.MenuHilfeHistory = m.MenuHilfe->addAction(QStringLiteral("Programm-&Änderungen..."));
    m.MenuHilfeMail = m.MenuHilfe->addAction(QStringLiteral("&Mail an den Programmierer..."));
    m.MenuHilfeSpenden = m.MenuHilfe->addAction(QStringLiteral("&Spenden..."));
    m.MenuHilfeHomepage->setVisible(!HomepageUrl(u.Hersteller).isEmpty());
    m.MenuHilfeMail->setVisible(!MailUrl(u.Hersteller).isEmpty());
    m.MenuHilfeSpenden->setVisible(!SpendenUrl(u.Hersteller).isEmpty());
    QObject::connect(m.MenuHilfe, &QMenu::aboutToShow, m.MenuHilfe, [m, u] { MenuHilfeClick(m, u); });
    MenuHilfeClick(m, u);
    return m;
}

void MenuHilfeClick(const THilfeMenue& menue, const THilfeUmgebung& u) {
    menue.MenuHilfeHistory->setEnabled(HistoryVorhanden(u));
    menue.MenuHilfeUpdate->setVisible(UpdaterVorhanden(u));
}

void HilfeInfoZeigen(QWidget* eltern, const THilfeUmgebung& u) {
    Meldungen::Information(eltern, ProgrammInfoText(u.Hersteller));
}

// A refused start (no browser or mail program) passes without a message.
void HilfeHomepageOeffnen(const THilfeUmgebung& u) {
    QDesktopServices::openUrl(HomepageUrl(u.Hersteller));
}
void HilfeMailOeffnen(const THilfeUmgebung& u) {
    QDesktopServices::openUrl(MailUrl(u.Hersteller));
}
void HilfeSpendenOeffnen(const THilfeUmgebung& u) {
    QDesktopServices::openUrl(SpendenUrl(u.Hersteller));
}
void HilfeHistoryOeffnen(const THilfeUmgebung& u) {
    QDesktopServices::openUrl(HistoryUrl(u));
}

bool HilfeUpdate(QWidget* eltern, const THilfeUmgebung& u, const QString& fensterTitel,
                 const TProgrammSchrift& schrift, const std::function<void()>& wiederherstellen,
                 const TProgrammStarter& starter) {
    const int punkte =
        schrift.Font.pointSize() > 0 ? schrift.Font.pointSize() : qRound(schrift.Font.pointSizeF());
    const std::optional<QString> fehler =
        UpdateUebergeben(u, fensterTitel, punkte, schrift.Font.family(), starter);
    if (!fehler)
        return true;
    if (wiederherstellen)
        wiederherstellen();
    Meldungen::Fehler(eltern, *fehler);
    return false;
}
