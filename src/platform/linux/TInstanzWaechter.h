#pragma once
// Single instance per user: a lock file in the user's runtime folder, and a local socket
// through which later starts and other programs reach the running instance.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <functional>
#include <memory>
#include <optional>

class TInstanzWaechter : public QObject {
    Q_OBJECT
public:
    explicit TInstanzWaechter(const QString& name, QObject* parent = nullptr);
    ~TInstanzWaechter() override;

    bool Beanspruchen();
    void Lauschen();
    bool NachrichtSenden(const QString& titelEnde, int nachricht);
    void SetzeTitel(const QString& titel) { FTitel = titel; }
    void SetzeBeantworter(std::function<void(const QString&, std::function<void(const QString&)>)> b) {
        FBeantworter = std::move(b);
    }
    std::optional<QString> Anfragen(const QString& anfrage, int fristMs);

    QString SocketPfad() const;

signals:
    void NachrichtEmpfangen(int nachricht);

private:
    void NeueVerbindung();

    QString FName;
    QString FTitel;
    std::function<void(const QString&, std::function<void(const QString&)>)> FBeantworter;
    std::unique_ptr<QLockFile> FSperre;
    bool FBesitzerS = false;
    QLocalServer FServer;
};
