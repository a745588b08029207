#include "protocol/Nachrichten.h"

#include <QTest>

class TstNachrichten : public QObject {
    Q_OBJECT
private slots:
    // Read back as {Sender flag, PC, user, MAC, broadcast flag}; nothing without the tag.
    void praesenzLesen_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("erwartet");
        QTest::newRow("gueltig") << "VTR1|1|BUERO-PC|anna|00-1A-2B-3C-4D-5E|1"
                                 << QStringList{"1", "BUERO-PC", "anna", "00-1A-2B-3C-4D-5E", "1"};
        QTest::newRow("getrimmt") << " VTR1\t| 1 |PC\r\n| anna |M1| 1"
                                  << QStringList{"1", "PC", "anna", "M1", "1"};
        QTest::newRow("Abschied") << "VTR1|0|PC|anna|M1|1" << QStringList{"0", "PC", "anna", "M1", "1"};
        QTest::newRow("nur genau 1 setzt")
            << "VTR1|11|PC|anna|M1|ja" << QStringList{"0", "PC", "anna", "M1", "0"};
        QTest::newRow("fehlende Felder") << "VTR1|1" << QStringList{"1", "", "", "", "0"};
        // A run of separators is one: an empty user shifts the MAC into its place.
        QTest::newRow("Trennerfolge") << "||VTR1|1|PC||M1|1|" << QStringList{"1", "PC", "M1", "1", "0"};
        QTest::newRow("falscher Tag") << "vtr1|1|PC|anna|M1|1" << QStringList{};
        // Stored fields hold at most 255 characters: never half a surrogate pair, no blank
        // at the cut.
        const QString lang(8000, 'n'), emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
        QTest::newRow("lange Felder gekuerzt")
            << "VTR1|1|" + lang + "|" + QString(254, 'u') + emoji + "|" + QString(250, 'm') + "     x|1"
            << QStringList{"1", QString(255, 'n'), QString(254, 'u'), QString(250, 'm'), "1"};
    }
    void praesenzLesen() {
        QFETCH(QString, text);
        QFETCH(QStringList, erwartet);
        const auto flag = [](bool s) { return QString(s ? "1" : "0"); };
        const std::optional<Protokoll::TPraesenzRec> p = Protokoll::LesePraesenz(text);
        QStringList gelesen;
        if (p)
            gelesen = {flag(p->SenderS), p->PC, p->User, p->MAC, flag(p->BroadcastS)};
        QCOMPARE(gelesen, erwartet);
    }
};

QTEST_GUILESS_MAIN(TstNachrichten)
#include "tst_nachrichten.moc"
