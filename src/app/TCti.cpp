#include "app/TCti.h"

#include <QMenu>
#include <QSystemTrayIcon>

TCti::TCti(QObject* parent) : QObject(parent) {
    FBalloonZeit.setSingleShot(true);
    connect(&FBalloonZeit, &QTimer::timeout, this, [this] {
        FBalloonText.clear();
        emit BalloonHintTimeout();
    });
}

TCti::~TCti() = default;

void TCti::SetzeSymbol(const QIcon& symbol) {
    FIcon = symbol;
    if (FSymbol)
        FSymbol->setIcon(symbol);
}

void TCti::SetzeMenue(QMenu* menue) {
    FMenue = menue;
    if (FSymbol)
        FSymbol->setContextMenu(menue);
}

void TCti::SetzeTooltip(const QString& text) {
    // The notification area shows at most 127 characters.
    FTooltip = text.left(127);
    if (FSymbol)
        FSymbol->setToolTip(FTooltip);
}

void TCti::SetVisible(bool visibleS) {
    FVisibleS = visibleS;
    // Made whether or not a tray runs now: a visible icon is what Qt shows once one comes.
    if (visibleS && !FSymbol) {
        FSymbol = std::make_unique<QSystemTrayIcon>(FIcon);
        FSymbol->setToolTip(FTooltip);
        FSymbol->setContextMenu(FMenue);
        connect(FSymbol.get(), &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason grund) {
                    if (grund == QSystemTrayIcon::Trigger)
                        emit Click();
                });
    }
    if (FSymbol)
        FSymbol->setVisible(visibleS);
    if (!visibleS)
        FBalloonZeit.stop();
}

bool TCti::TrayVorhanden() const {
    return TrayPruefung ? TrayPruefung() : QSystemTrayIcon::isSystemTrayAvailable();
}

void TCti::BalloonZeigen(const QString& titel, const QString& text, int ms) {
    if (!FVisibleS)
        return;
    FBalloonText = text;
    if (FSymbol)
        FSymbol->showMessage(titel, text, QSystemTrayIcon::Information, ms);
    FBalloonZeit.start(ms);
    emit BalloonHintShow();
}
