#include "common/TFelder.h"
#include "platform/Textkodierung.h"
#include "support/TestUmgebung.h"

#include <QTest>

class TstFelder : public QObject {
    Q_OBJECT
private slots:
    void felder_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("erwartet");
        QTest::addColumn<QString>("rest");
        QTest::newRow("einfach") << "VTR1|1|PC|anna|00-1A-2B-3C-4D-5E|1"
                                 << QStringList{"VTR1", "1", "PC", "anna", "00-1A-2B-3C-4D-5E", "1"}
                                 << "PC|anna|00-1A-2B-3C-4D-5E|1";
        QTest::newRow("leeres Feld verschiebt")
            << "VTR1|1|PC||00-1A|1" << QStringList{"VTR1", "1", "PC", "00-1A", "1"} << "PC||00-1A|1";
        QTest::newRow("Trenner am Rand") << "||VTR1|neustart|" << QStringList{"VTR1", "neustart"} << "";
        QTest::newRow("nur Trenner") << "|||" << QStringList{} << "";
        QTest::newRow("leer") << "" << QStringList{} << "";
        QTest::newRow("Rest mit Trennern")
            << "VTR1|zsantwort|14:03:27||2|0" << QStringList{"VTR1", "zsantwort", "14:03:27", "2", "0"}
            << "14:03:27||2|0";
        QTest::newRow("getrimmt") << " VTR1 |\t1\r| x " << QStringList{"VTR1", "1", "x"} << " x ";
        // Only U+007C separates; look-alikes stay inside their field.
        QTest::newRow("kein anderer Trenner") << QString::fromUtf8("a\xEF\xBD\x9C"
                                                                   "b|c")
                                              << QStringList{QString::fromUtf8("a\xEF\xBD\x9C"
                                                                               "b"),
                                                             "c"}
                                              << "";
    }
    void felder() {
        QFETCH(QString, text);
        QFETCH(QStringList, erwartet);
        QFETCH(QString, rest);
        const TFelder f(text);
        QCOMPARE(f.Anzahl(), erwartet.size());
        for (int i = 0; i < erwartet.size(); ++i)
            QCOMPARE(f.Feld(i + 1), erwartet[i]);
        QCOMPARE(f.Feld(0), QString());
        QCOMPARE(f.Feld(erwartet.size() + 1), QString());
        QCOMPARE(f.RestAbFeld3(), rest);
    }

    void trimSteuer() {
        QCOMPARE(TrimSteuer(u"\x01\x1f a b \x7f"), QStringLiteral("a b \x7f"));
        QCOMPARE(TrimSteuer(u"\t\r\n "), QString());
        QVERIFY(IstLeer(u" \t"));
        QVERIFY(!IstLeer(u" x"));
    }

    void zeilen() {
        QCOMPARE(TeileZeilen(QStringLiteral("a\r\nb\rc\nd")), (QStringList{"a", "b", "c", "d"}));
        QCOMPARE(TeileZeilen(QStringLiteral("a\r\n")), (QStringList{"a"}));
        QCOMPARE(TeileZeilen(QStringLiteral("a\n\nb")), (QStringList{"a", "", "b"}));
        QCOMPARE(TeileZeilen(QString()), QStringList{});
    }

    void bomErkennung() {
        TTestUmgebung fakeUmgebung;
        TFakePlattform& fake = fakeUmgebung.Fake();
        fake.FAnsiUtf8S = false; // ANSI = a single-byte code page
        const QString text = QStringLiteral("KÜCHE|Jörg");
        QCOMPARE(DekodiereTextdatei(AktuellerFake(), "\xEF\xBB\xBF" + text.toUtf8()), text);
        QByteArray le("\xFF\xFE", 2), be("\xFE\xFF", 2);
        for (QChar c : text) {
            le.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
            be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
        }
        QCOMPARE(DekodiereTextdatei(AktuellerFake(), le), text);
        QCOMPARE(DekodiereTextdatei(AktuellerFake(), be), text);
        QCOMPARE(DekodiereTextdatei(AktuellerFake(), text.toLatin1()), text);
        // UTF-8 without a mark is read as ANSI.
        QCOMPARE(DekodiereTextdatei(AktuellerFake(), text.toUtf8()), QString::fromLatin1(text.toUtf8()));
    }
};

QTEST_GUILESS_MAIN(TstFelder)
#include "tst_felder.moc"
