// Our own ARP requests and the reader of the replies (from the network, so checked), and
// the neighbour budget all scanner threads share.

#include "platform/linux/ArpRahmen.h"
#include "platform/linux/NachbarBudget.h"

#include <QTest>

using namespace std::chrono_literals;

namespace {
constexpr quint32 Eigene = 0x0a4d0001; // 10.77.0.1
constexpr quint32 Basis = 0x0a4d0000;  // 10.77.0.0
const QByteArray EigeneHw = QByteArray::fromHex("027700000001");

// A reply as a host sends it: "10.77.0.<n> is at hw", to our address.
QByteArray Antwort(quint8 n, const QByteArray& hw = QByteArray::fromHex("027700000063"),
                   quint32 an = Eigene) {
    QByteArray a = QByteArray::fromHex("0001080006040002");
    a += hw;
    a += QByteArray::fromHex("0a4d00") + char(n);
    a += EigeneHw;
    a += char(an >> 24);
    a += char(an >> 16);
    a += char(an >> 8);
    a += char(an);
    return a;
}
} // namespace

class TstArpRahmen : public QObject {
    Q_OBJECT
private slots:
    void anfrage() {
        QCOMPARE(ArpAnfrage(EigeneHw, Eigene, 0x0a4d0063).toHex(), QByteArray("0001080006040001"
                                                                              "027700000001"
                                                                              "0a4d0001"
                                                                              "000000000000"
                                                                              "0a4d0063"));
        QVERIFY(ArpAnfrage(QByteArray(), Eigene, 1).isEmpty());
    }

    void antwort_data() {
        QTest::addColumn<QByteArray>("nachricht");
        QTest::addColumn<bool>("giltS");
        QTest::newRow("reply") << Antwort(99) << true;
        QTest::newRow("padded to the Ethernet minimum") << Antwort(99) + QByteArray(18, '\0') << true;
        QTest::newRow("network and broadcast address of the block") << Antwort(255) << true;
        QTest::newRow("cut short") << Antwort(99).first(27) << false;
        QTest::newRow("a request") << QByteArray(Antwort(99)).replace(7, 1, "\x01") << false;
        QTest::newRow("other hardware type") << QByteArray(Antwort(99)).replace(1, 1, "\x06") << false;
        QTest::newRow("not IPv4") << QByteArray(Antwort(99)).replace(2, 2, "\x86\xdd") << false;
        QTest::newRow("odd address lengths") << QByteArray(Antwort(99)).replace(4, 1, "\x08") << false;
        QTest::newRow("to somebody else")
            << Antwort(99, QByteArray::fromHex("027700000063"), Eigene + 1) << false;
        QByteArray fremd = Antwort(99);
        fremd[16] = 1; // 10.77.1.99
        QTest::newRow("from another block") << fremd << false;
        QTest::newRow("group hardware address") << Antwort(99, QByteArray::fromHex("017700000063")) << false;
        QTest::newRow("no hardware address") << Antwort(99, QByteArray(6, '\0')) << false;
    }
    void antwort() {
        QFETCH(QByteArray, nachricht);
        QFETCH(bool, giltS);
        const std::optional<TArpAntwort> a =
            ArpAntwortLesen(QByteArray(nachricht.constData(), nachricht.size()), Eigene, Basis);
        QCOMPARE(a.has_value(), giltS);
        if (a) {
            QCOMPARE(a->Absender & 0xffffff00u, Basis);
            QCOMPARE(a->Hardware.size(), 6);
        }
    }

    void budget() {
        using TUhr = TNachbarBudget::TUhr;
        TNachbarBudget b(3);
        const TUhr::time_point t0{};
        QVERIFY(!b.Belegen(1, t0, t0 + 3s));
        QVERIFY(!b.Belegen(2, t0, t0 + 5s));
        QVERIFY(!b.Belegen(3, t0, t0 + 4s));
        // Full: the answer is how long until the earliest place frees.
        const auto warten = b.Belegen(4, t0 + 1s, t0 + 4s);
        QVERIFY(warten);
        QCOMPARE(*warten, TUhr::duration(2s));
        // An address that holds a place asks again without taking a second one.
        QVERIFY(!b.Belegen(2, t0 + 1s, t0 + 2s));
        QCOMPARE(b.Belegt(t0 + 1s), 3);
        // Answered: held much longer; failed send: freed at once.
        b.Verlaengern(1, t0 + 60s);
        b.Freigeben(3);
        QCOMPARE(b.Belegt(t0 + 1s), 2);
        QVERIFY(!b.Belegen(4, t0 + 1s, t0 + 4s));
        QVERIFY(b.Belegen(5, t0 + 1s, t0 + 4s));
        // Places expire with the kernel's entries; the answered one stays.
        QCOMPARE(b.Belegt(t0 + 5s + 1ms), 1);
        QVERIFY(!b.Belegen(5, t0 + 6s, t0 + 9s));
        // Extending an address without a place does not make one.
        b.Verlaengern(7, t0 + 60s);
        QCOMPARE(b.Belegt(t0 + 6s), 2);
    }
};

QTEST_GUILESS_MAIN(TstArpRahmen)
#include "tst_arprahmen.moc"
