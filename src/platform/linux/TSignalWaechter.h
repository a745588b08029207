#pragma once
// SIGTERM, SIGHUP and SIGINT end the session: a self-pipe turns them into a Qt signal.

#include <QObject>
#include <QSocketNotifier>
#include <memory>

class TSignalWaechter : public QObject {
    Q_OBJECT
public:
    explicit TSignalWaechter(QObject* parent = nullptr);
    ~TSignalWaechter() override;

signals:
    void SitzungEndet();

private:
    std::unique_ptr<QSocketNotifier> FMelder;
};
