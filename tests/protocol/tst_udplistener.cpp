// The listener under bursts: a handler slow enough to make the reading yield, datagrams
// arriving while it does. Every datagram must be read, also after the bursts: a listener
// that stops reading loses its peers without a word.

#include "protocol/TUdpListener.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {
constexpr quint16 Port = 47171;

// Sends n small datagrams to the loopback port from a plain socket.
void Senden(int anzahl, int pauseUs) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in an{};
    an.sin_family = AF_INET;
    an.sin_port = htons(Port);
    an.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    for (int i = 0; i < anzahl; ++i) {
        const QByteArray text = "VTR1|1|pc|user|02-00-00-00-00-01|" + QByteArray::number(i);
        ::sendto(fd, text.constData(), size_t(text.size()), 0, reinterpret_cast<const sockaddr*>(&an),
                 sizeof an);
        if (pauseUs > 0)
            ::usleep(useconds_t(pauseUs));
    }
    ::close(fd);
}
} // namespace

class TstUdpListener : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // Loopback only, and only where nothing else can hear it.
        QUdpSocket probe;
        if (!probe.bind(QHostAddress::LocalHost, Port))
            QSKIP("the test port is taken");
    }

    // Nothing over IPv6: a sender at the dual-stack wildcard that is not IPv4 is never
    // handed on (it would be answered and listed), and no datagram goes to an IPv6 address.
    void nurIpv4() {
        TUdpListener listener(Port);
        listener.Aktivieren(true);
        QStringList absender;
        connect(&listener, &TUdpListener::DatagrammEmpfangen, this,
                [&absender](const QByteArray&, const QString& ip) { absender << ip; });
        QUdpSocket v6;
        if (!v6.bind(QHostAddress::LocalHostIPv6, 0))
            QSKIP("no IPv6 loopback");
        QCOMPARE(v6.writeDatagram(QByteArray("VTR1|1|pc|u|02-00-00-00-00-09|1"), QHostAddress::LocalHostIPv6,
                                  Port),
                 31);
        Senden(1, 0); // after it, from 127.0.0.1
        QTRY_COMPARE(absender, QStringList{"127.0.0.1"});
        QVERIFY(!listener.Senden(QStringLiteral("VTR1|x"), QStringLiteral("::1"), Port));
        QVERIFY(listener.Senden(QStringLiteral("VTR1|x"), QStringLiteral("127.0.0.1"), Port));
    }

    // Bursts while the handler is slow: the reading yields again and again, and what comes
    // in meanwhile, and after the last burst, is read all the same.
    void liestNachJederPauseWeiter() {
        TUdpListener listener(Port);
        listener.Aktivieren(true);
        QVERIFY(listener.Aktiv());
        int empfangen = 0;
        connect(&listener, &TUdpListener::DatagrammEmpfangen, this, [&empfangen] {
            // Now and then a handler that takes longer than a reading round.
            if (++empfangen % 40 == 0)
                QThread::msleep(60);
        });
        int gesendet = 0;
        for (int runde = 0; runde < 15; ++runde) {
            const int anzahl = 50 + runde * 7;
            std::thread sender(Senden, anzahl, runde % 3 == 0 ? 0 : 200);
            QElapsedTimer uhr;
            uhr.start();
            while (!uhr.hasExpired(30))
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            sender.join();
            gesendet += anzahl;
            // A single latecomer after the burst must not wait for the next burst.
            Senden(1, 0);
            ++gesendet;
            QTRY_COMPARE_WITH_TIMEOUT(empfangen, gesendet, 3000);
        }
    }
};

QTEST_GUILESS_MAIN(TstUdpListener)
#include "tst_udplistener.moc"
