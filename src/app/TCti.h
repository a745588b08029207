#pragma once
// The notification-area icon, behind a small wrapper: it stands for the program exactly while
// the window is hidden. The icon exists then even where no notification area runs yet (a
// panel started after the program's autostart): Qt shows it once one appears. Until then the
// program runs hidden and a second start brings the window back.

#include <QIcon>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

class QMenu;
class QSystemTrayIcon;

class TCti : public QObject {
    Q_OBJECT
public:
    explicit TCti(QObject* parent = nullptr);
    ~TCti() override;

    void SetzeSymbol(const QIcon& symbol);
    void SetzeMenue(QMenu* menue);
    void SetzeTooltip(const QString& text);
    QString Tooltip() const { return FTooltip; }

    bool Visible() const { return FVisibleS; }
    void SetVisible(bool visibleS);
    // Whether a notification area runs now, so hiding leaves the user a way back.
    bool TrayVorhanden() const;
    // Stands in for the desktop's answer (tests without a notification area).
    std::function<bool()> TrayPruefung;

    // Shows the balloon for the given time; reports it shown and, after the time, timed out.
    void BalloonZeigen(const QString& titel, const QString& text, int ms);
    bool BalloonSichtbar() const { return FBalloonZeit.isActive(); }
    QString BalloonText() const { return FBalloonText; }

signals:
    void Click();
    void BalloonHintShow();
    void BalloonHintTimeout();

private:
    std::unique_ptr<QSystemTrayIcon> FSymbol;
    QIcon FIcon;
    QMenu* FMenue = nullptr;
    QString FTooltip;
    QString FBalloonText;
    bool FVisibleS = false;
    QTimer FBalloonZeit;
};
