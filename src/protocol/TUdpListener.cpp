#include "protocol/TUdpListener.h"

#include "protocol/Nachrichten.h"

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QTimer>
#include <QVariant>

TUdpListener::TUdpListener(quint16 port, QObject* parent) : QObject(parent), FPort(port) {
    FNachsehen.setInterval(NachsehenMs);
    connect(&FNachsehen, &QTimer::timeout, this, [this] {
        if (!Aktiv())
            FNachsehen.stop();
        else if (!FFortsetzungS && FSocket->hasPendingDatagrams())
            Lesen();
    });
}

bool TUdpListener::Aktiv() const {
    return FSocket && FSocket->state() == QAbstractSocket::BoundState;
}

void TUdpListener::Aktivieren(bool aktivS) {
    if (!aktivS) {
        FNachsehen.stop();
        if (FSocket) {
            // Closing may happen inside one of this socket's own handlers: free it later.
            FSocket->close();
            FSocket.release()->deleteLater();
        }
        return;
    }
    if (Aktiv())
        return;
    auto socket = std::make_unique<QUdpSocket>();
    if (!socket->bind(QHostAddress::Any, FPort))
        return;
    // Room for a burst (a busy network, a flood of bad datagrams) while a handler runs; the
    // system caps the size at what it allows.
    socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, QVariant(4 * 1024 * 1024));
    connect(socket.get(), &QUdpSocket::readyRead, this, [this] {
        if (!FFortsetzungS)
            Lesen();
    });
    FSocket = std::move(socket);
}

void TUdpListener::Lesen() {
    FFortsetzungS = false;
    // The socket may go away inside a handler (a command that closes the program).
    QUdpSocket* socket = FSocket.get();
    QElapsedTimer runde;
    runde.start();
    bool gelesenS = false;
    while (socket && socket == FSocket.get() && socket->hasPendingDatagrams()) {
        if (runde.hasExpired(MsProRunde)) {
            // A flood must not keep the window, the timers and the local socket waiting:
            // the rest is read after the events that queued up meanwhile.
            FFortsetzungS = true;
            QTimer::singleShot(0, this, &TUdpListener::Lesen);
            return;
        }
        const QNetworkDatagram datagramm = socket->receiveDatagram(Protokoll::MaxDatagramm);
        gelesenS = true;
        if (!datagramm.isValid())
            continue;
        ++FGelesen;
        // The dual-stack wildcard also takes IPv6 senders, which the program never answers
        // and never lists.
        const QString absender = Ipv4Text(datagramm.senderAddress());
        if (!absender.isEmpty())
            emit DatagrammEmpfangen(datagramm.data(), absender, quint16(datagramm.senderPort()));
    }
    // Reading nothing happens when a report comes for datagrams an earlier round took.
    if (gelesenS)
        FNachsehen.stop();
    else if (socket && socket == FSocket.get() && !FNachsehen.isActive())
        FNachsehen.start();
}

QString TUdpListener::Zustand() const {
    return QStringLiteral("%1 %2 %3")
        .arg(FGelesen)
        .arg(FFortsetzungS ? 1 : 0)
        .arg(Aktiv() && FSocket->hasPendingDatagrams() ? 1 : 0);
}

bool TUdpListener::Senden(const QString& text, const QString& ip, quint16 port, const QString& vonIp,
                          int schnittstelle) {
    return SendenBytes(Protokoll::Kodieren(text), ip, port, vonIp, schnittstelle);
}

bool TUdpListener::SendenBytes(const QByteArray& daten, const QString& ip, quint16 port, const QString& vonIp,
                               int schnittstelle) {
    if (!Aktiv())
        return false;
    const QHostAddress ziel(ip);
    if (ziel.protocol() != QAbstractSocket::IPv4Protocol)
        return false;
    QNetworkDatagram datagramm(daten, ziel, port);
    const QHostAddress von(vonIp);
    if (schnittstelle > 0 && von.protocol() == QAbstractSocket::IPv4Protocol) {
        // Sent with the link and the source address as packet information (IP_PKTINFO).
        datagramm.setInterfaceIndex(uint(schnittstelle));
        datagramm.setSender(von);
    }
    return FSocket->writeDatagram(datagramm) == daten.size();
}

QString Ipv4Text(const QHostAddress& adresse) {
    bool v4S = false;
    const quint32 v4 = adresse.toIPv4Address(&v4S);
    return v4S ? QHostAddress(v4).toString() : QString();
}
