#include "platform/linux/TInstanzWaechter.h"

#include "platform/TInstanz.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>
#include <QThread>

#include <unistd.h>

namespace {
constexpr int MaxZeile = 4096;

QString LaufzeitOrdner() {
    QString ordner = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (ordner.isEmpty())
        ordner = QDir::tempPath();
    QDir().mkpath(ordner);
    return ordner;
}
} // namespace

TInstanzWaechter::TInstanzWaechter(const QString& name, QObject* parent)
    : QObject(parent), FName(name + u'-' + QString::number(::getuid())) {
    connect(&FServer, &QLocalServer::newConnection, this, &TInstanzWaechter::NeueVerbindung);
}

TInstanzWaechter::~TInstanzWaechter() {
    FServer.close();
    if (FSperre)
        FSperre->unlock();
}

QString TInstanzWaechter::SocketPfad() const {
    return LaufzeitOrdner() + u'/' + FName;
}

bool TInstanzWaechter::Beanspruchen() {
    FSperre = std::make_unique<QLockFile>(LaufzeitOrdner() + u'/' + FName + QStringLiteral(".lock"));
    // Only a dead owner makes a lock stale; age alone never does.
    FSperre->setStaleLockTime(0);
    if (!FSperre->tryLock(0)) {
        if (FSperre->error() == QLockFile::LockFailedError)
            return false;
        // The lock cannot be written at all: run as first instance, as the named mutex
        // would when its creation fails for another reason.
        FSperre.reset();
        return true;
    }
    FBesitzerS = true;
    return true;
}

void TInstanzWaechter::Lauschen() {
    if (!FBesitzerS)
        return;
    // We own the lock, so a socket left behind belongs to a dead instance.
    QLocalServer::removeServer(SocketPfad());
    FServer.setSocketOptions(QLocalServer::UserAccessOption);
    FServer.listen(SocketPfad());
}

bool TInstanzWaechter::NachrichtSenden(const QString& titelEnde, int nachricht) {
    // The first instance may still be starting: give it a moment to listen.
    QDeadlineTimer frist(3000);
    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(SocketPfad());
        if (socket.waitForConnected(500))
            break;
        if (frist.hasExpired())
            return false;
        QThread::msleep(100);
    }
    QByteArray titel;
    while (!titel.contains('\n') && titel.size() < MaxZeile) {
        if (!socket.waitForReadyRead(int(qMax<qint64>(1, frist.remainingTime()))))
            return false;
        titel += socket.readAll();
    }
    titel = titel.left(titel.indexOf('\n'));
    if (!TitelPasst(QString::fromUtf8(titel), titelEnde))
        return false;
    socket.write(QByteArray::number(nachricht) + '\n');
    socket.waitForBytesWritten(1000);
    socket.waitForReadyRead(1000); // the acknowledgement; the sender does not depend on it
    socket.disconnectFromServer();
    return true;
}

std::optional<QString> TInstanzWaechter::Anfragen(const QString& anfrage, int fristMs) {
    QDeadlineTimer frist(fristMs);
    QLocalSocket socket;
    socket.connectToServer(SocketPfad());
    if (!socket.waitForConnected(int(qMax<qint64>(1, frist.remainingTime()))))
        return std::nullopt;
    socket.write(anfrage.toUtf8() + '\n');
    // First the instance's caption line, then the answer up to its end mark.
    QByteArray daten;
    qsizetype titelEnde = -1;
    for (;;) {
        if (titelEnde < 0)
            titelEnde = daten.indexOf('\n');
        if (titelEnde >= 0 && daten.endsWith("\n.\n") && daten.size() >= titelEnde + 3)
            break;
        if (frist.hasExpired() || !socket.waitForReadyRead(int(qMax<qint64>(1, frist.remainingTime()))))
            return std::nullopt;
        daten += socket.readAll();
    }
    return QString::fromUtf8(daten.mid(titelEnde + 1, daten.size() - titelEnde - 4));
}

void TInstanzWaechter::NeueVerbindung() {
    while (QLocalSocket* socket = FServer.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        socket->write(FTitel.toUtf8() + '\n');
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                const QString zeile = QString::fromUtf8(socket->readLine(MaxZeile)).trimmed();
                bool zahlS = false;
                const int nachricht = zeile.toInt(&zahlS);
                if (zahlS) {
                    socket->write("ok\n");
                    socket->flush();
                    emit NachrichtEmpfangen(nachricht);
                } else if (FBeantworter) {
                    // The answer may come later; the asker may have gone by then.
                    FBeantworter(zeile, [ziel = QPointer<QLocalSocket>(socket)](const QString& antwort) {
                        if (!ziel)
                            return;
                        ziel->write(antwort.toUtf8());
                        ziel->write("\n.\n");
                        ziel->flush();
                    });
                }
            }
            // A peer that never sends a line ending cannot make us buffer without bound.
            if (socket->bytesAvailable() > MaxZeile)
                socket->abort();
        });
    }
}
