// The NetBIOS node-status request and the reader of the answer that comes from the network:
// well-formed answers of real kinds and every kind of damage.

#include "NetBiosTestdaten.h"
#include "net/NetBios.h"
#include "net/Rechnernamen.h"

#include <QTest>

Q_DECLARE_METATYPE(QList<TNetBiosName>)

namespace {
constexpr quint16 K = 0x4711;

QList<TTestName> Windows() {
    return {{"PC1", 0x00},  {"WORKGROUP", 0x00, 0x8400}, {"PC1", 0x20}, {"PC1", 0x03},
            {"ANNA", 0x03}, {"WORKGROUP", 0x1e, 0x8400}};
}

QByteArray Setze(QByteArray a, qsizetype p, QByteArray bytes) {
    a.replace(p, bytes.size(), bytes);
    return a;
}
// Where the record's length field and the name count stand in a built answer.
constexpr qsizetype RdLaengeBei = 12 + 34 + 8;
constexpr qsizetype AnzahlBei = RdLaengeBei + 2;
} // namespace

class TstNetBios : public QObject {
    Q_OBJECT
private slots:
    void anfrage() {
        const QByteArray a = NetBiosStatusAnfrage(K);
        QCOMPARE(a.size(), 50);
        QCOMPARE(a.first(12).toHex(), QByteArray("471100000001000000000000"));
        QCOMPARE(a.sliced(12, 34), QByteArray(" CK" + QByteArray(30, 'A') + '\0'));
        QCOMPARE(a.last(4).toHex(), QByteArray("00210001"));
        // Every request reads back as no answer: a host echoing it is not taken for one.
        QVERIFY(!NetBiosStatusLesen(a, K));
    }

    void lesen_data() {
        QTest::addColumn<QByteArray>("antwort");
        QTest::addColumn<int>("namen"); // -1: no answer at all

        const QByteArray gut = NetBiosAntwortBauen(K, Windows());
        QTest::newRow("windows") << gut << 6;
        QTest::newRow("name as pointer") << NetBiosAntwortBauen(K, Windows(), true) << 6;
        QTest::newRow("no names") << NetBiosAntwortBauen(K, {}) << 0;
        QTest::newRow("other transaction") << NetBiosAntwortBauen(K + 1, Windows()) << -1;
        QTest::newRow("a request") << Setze(gut, 2, QByteArray::fromHex("0000")) << -1;
        QTest::newRow("error code") << Setze(gut, 2, QByteArray::fromHex("8403")) << -1;
        QTest::newRow("other opcode") << Setze(gut, 2, QByteArray::fromHex("a800")) << -1;
        QTest::newRow("no answer record") << Setze(gut, 6, QByteArray::fromHex("0000")) << -1;
        QTest::newRow("NB record, not status")
            << Setze(gut, RdLaengeBei - 8, QByteArray::fromHex("0020")) << -1;
        QTest::newRow("other class") << Setze(gut, RdLaengeBei - 6, QByteArray::fromHex("0003")) << -1;
        QTest::newRow("label type 0x40") << Setze(gut, 12, QByteArray::fromHex("60")) << -1;
        QTest::newRow("label past the end") << Setze(gut.first(30), 12, QByteArray::fromHex("3f")) << -1;
        QTest::newRow("header only") << gut.first(12) << -1;
        QTest::newRow("cut in the record") << gut.first(RdLaengeBei) << -1;
        QTest::newRow("cut before the count") << gut.first(AnzahlBei) << -1;
        QTest::newRow("cut in the third name") << gut.first(AnzahlBei + 1 + 2 * 18 + 7) << 2;
        QTest::newRow("length beyond the data") << Setze(gut, RdLaengeBei, QByteArray::fromHex("ffff")) << 6;
        QTest::newRow("length short of the names")
            << Setze(gut, RdLaengeBei, QByteArray::fromHex("0025")) << 2; // 37 bytes: count + 2 names
        QTest::newRow("count beyond the entries")
            << Setze(gut.first(AnzahlBei + 1 + 3 * 18), AnzahlBei, "\xff") << 3;
        QTest::newRow("count below the entries") << Setze(gut, AnzahlBei, "\x02") << 2;
        QByteArray fragen = gut;
        fragen.insert(12, QByteArray(" CK" + QByteArray(30, 'A') + '\0' + QByteArray::fromHex("00210001")));
        QTest::newRow("with its question") << Setze(fragen, 4, QByteArray::fromHex("0001")) << 6;
        QTest::newRow("a flood of questions") << Setze(gut, 4, QByteArray::fromHex("ffff")) << -1;
        QTest::newRow("oversized") << gut + QByteArray(NetBiosAntwortMaxBytes, '\0') << -1;
        QTest::newRow("control character in a name")
            << NetBiosAntwortBauen(K, {{"PC1", 0x00}, {"EVIL\nNAME", 0x03}, {"ANNA", 0x03}}) << 2;
        QTest::newRow("blank and zero-padded names")
            << NetBiosAntwortBauen(K, {{"", 0x00}, {QByteArray("PC1\0\0", 5), 0x00}, {"\x7f", 0x03}}) << 1;
        QTest::newRow("empty datagram") << QByteArray() << -1;
    }
    void lesen() {
        QFETCH(QByteArray, antwort);
        QFETCH(int, namen);
        const std::optional<TNetBiosStatus> s = NetBiosStatusLesen(antwort, K);
        QCOMPARE(s.has_value(), namen >= 0);
        if (s)
            QCOMPARE(s->Namen.size(), namen);
    }

    void eintraege() {
        const auto s = NetBiosStatusLesen(
            NetBiosAntwortBauen(K, {{"BÜRO-PC", 0x00}, {"TEAM", 0x00, 0x8400}, {"ALT", 0x03, 0x1400}}), K);
        QVERIFY(s);
        QCOMPARE(s->Namen.size(), 3);
        QCOMPARE(s->Namen[0].Suffix, quint8(0x00));
        QVERIFY(!s->Namen[0].GruppeS);
        QVERIFY(s->Namen[1].GruppeS);
        QVERIFY(s->Namen[2].AbgemeldetS);
        // Not UTF-8 on the wire: each byte is one character (cut to 15 bytes).
        QCOMPARE(s->Namen[0].Name.size(), 8);
    }

    void namenWaehlen_data() {
        QTest::addColumn<QList<TTestName>>("namen");
        QTest::addColumn<QString>("rechner");
        QTest::addColumn<QStringList>("benutzer");
        QTest::newRow("windows with a user") << Windows() << "PC1" << QStringList{"ANNA"};
        QTest::newRow("samba: messenger name is its own")
            << QList<TTestName>{{"NAS", 0x20}, {"NAS", 0x03}, {"NAS", 0x00}} << "NAS" << QStringList{};
        QTest::newRow("server name only")
            << QList<TTestName>{{"DRUCKER", 0x20}} << "DRUCKER" << QStringList{};
        QTest::newRow("group names are no host's")
            << QList<TTestName>{{"WORKGROUP", 0x00, 0x8400}, {"GAESTE", 0x03, 0x8400}} << "" << QStringList{};
        QTest::newRow("deregistered and in conflict")
            << QList<TTestName>{{"ALT", 0x00, 0x1400}, {"PC2", 0x00}, {"BERT", 0x03, 0x0c00}, {"CARL", 0x03}}
            << "PC2" << QStringList{"CARL"};
        QTest::newRow("several users, each once, machine account kept")
            << QList<TTestName>{{"PC1", 0x00}, {"pc1", 0x03}, {"PC1$", 0x03}, {"ANNA", 0x03}, {"ANNA", 0x03}}
            << "PC1" << QStringList{"PC1$", "ANNA"};
        QTest::newRow("nothing") << QList<TTestName>{} << "" << QStringList{};
    }
    void namenWaehlen() {
        QFETCH(QList<TTestName>, namen);
        QFETCH(QString, rechner);
        QFETCH(QStringList, benutzer);
        const auto s = NetBiosStatusLesen(NetBiosAntwortBauen(K, namen), K);
        QVERIFY(s);
        QCOMPARE(NetBiosRechnername(*s), rechner);
        QCOMPARE(NetBiosBenutzer(*s), benutzer);
    }

    void chooseUserName_data() {
        QTest::addColumn<QStringList>("namen");
        QTest::addColumn<QString>("gewaehlt");
        QTest::newRow("machine account first") << QStringList{"PC1$", "anna"} << "anna";
        QTest::newRow("only a machine account") << QStringList{"PC1$"} << "PC1$";
        QTest::newRow("all with $: the first") << QStringList{"A$", "B$"} << "A$";
        QTest::newRow("first without $ wins") << QStringList{"bert", "anna"} << "bert";
        QTest::newRow("$ inside the name") << QStringList{"a$b", "carl"} << "carl";
        QTest::newRow("none") << QStringList{} << "";
    }
    void chooseUserName() {
        QFETCH(QStringList, namen);
        QFETCH(QString, gewaehlt);
        QCOMPARE(ChooseUserName(namen), gewaehlt);
    }

    // Every prefix of an answer: never an over-read (AddressSanitizer watches), and only the
    // names wholly inside the prefix are read.
    void jedesAnfangsstueck() {
        const QByteArray gut = NetBiosAntwortBauen(K, Windows());
        for (qsizetype n = 0; n <= gut.size(); ++n) {
            // A detached copy, so the sanitizer sees the exact end.
            const QByteArray teil(gut.constData(), n);
            const auto s = NetBiosStatusLesen(teil, K);
            if (s)
                QVERIFY(s->Namen.size() <= (n - AnzahlBei - 1) / 18);
        }
    }
};

QTEST_GUILESS_MAIN(TstNetBios)
#include "tst_netbios.moc"
