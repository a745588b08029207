#pragma once
// One of the two UDP listeners: bound to the dual-stack wildcard on its port, broadcasts
// allowed, handing every datagram to the user-interface thread. Sends go out from the
// same socket, so their source port is the listener's port.

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <QUdpSocket>
#include <memory>

class TUdpListener : public QObject {
    Q_OBJECT
public:
    explicit TUdpListener(quint16 port, QObject* parent = nullptr);

    quint16 Port() const { return FPort; }
    // Binds (true) or closes (false). A port another program holds leaves the listener
    // inactive without a message; the next activation tries again.
    void Aktivieren(bool aktivS);
    bool Aktiv() const;
    // For the diagnostics: datagrams read so far, a continuation queued, data waiting.
    QString Zustand() const;

    // Text as UTF-8, or bytes, to an IPv4 address in dotted form; false when not sent (also
    // for anything but IPv4: nothing goes out over IPv6). With vonIp and schnittstelle
    // the datagram leaves through that link from that own address, whatever the route
    // prefers: two adapters in one network share their broadcast address.
    bool Senden(const QString& text, const QString& ip, quint16 port, const QString& vonIp = {},
                int schnittstelle = 0);
    bool SendenBytes(const QByteArray& daten, const QString& ip, quint16 port, const QString& vonIp = {},
                     int schnittstelle = 0);

signals:
    // Source address in dotted IPv4 form (IPv4-mapped IPv6 converted); datagrams from other
    // IPv6 senders are dropped unread by the program.
    void DatagrammEmpfangen(const QByteArray& daten, const QString& absenderIp, quint16 absenderPort);

private:
    // A reading round ends after this long, and the events that queued up meanwhile come
    // first. An answer of the window takes several rounds of the event loop (a local
    // request: connect, read, reply), so under a flood each round adds to its wait: with 50
    // ms the window answered in about 400 ms, with 10 ms in well under 100 ms.
    static constexpr int MsProRunde = 10;
    static constexpr int NachsehenMs = 100;
    void Lesen();

    quint16 FPort;
    std::unique_ptr<QUdpSocket> FSocket;
    bool FFortsetzungS = false; // a continuation of the reading is queued
    // Qt reports new datagrams only after one was read since its last report; a report
    // whose datagrams were already read leaves the socket silent. Until the next read this
    // timer looks for waiting datagrams itself.
    QTimer FNachsehen;
    quint64 FGelesen = 0;
};

// "::ffff:10.0.0.5" and "10.0.0.5" both give "10.0.0.5"; anything else (IPv6) is empty.
QString Ipv4Text(const QHostAddress& adresse);
