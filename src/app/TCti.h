#pragma once
// The notification-area icon, behind a small wrapper: it stands for the program exactly while
// the window is hidden. Where the desktop has no notification area the wrapper still keeps
// the state, so the program runs hidden and a second start brings the window back.

#include <QIcon>
#include <QObject>
#include <QString>
#include <QTimer>
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
