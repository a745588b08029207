#include "schedule/RtfText.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTest>

namespace {
const QByteArray WordPad =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1031{\\fonttbl{\\f0\\fnil\\fcharset0 "
    "Calibri;}}\r\n{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n\\pard\\sa200\\sl276"
    "\\slmult1\\f0\\fs22\\lang7 2|0|24.12.2026|07:30\\par\r\n}\r\n";
}

class TstRtfText : public QObject {
    Q_OBJECT
private slots:
    void text_data() {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("text");
        QTest::newRow("WordPad") << WordPad << "2|0|24.12.2026|07:30\n";
        QTest::newRow("hidden destinations")
            << QByteArray(
                   "{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0\\green0\\blue0;}{\\stylesheet{\\s0 "
                   "Normal;}}"
                   "{\\info{\\title Titel}{\\author Jemand}}{\\*\\themedata 0102}{\\pict\\pngblip 89504e47}"
                   "{\\*\\unbekannt {innen} text}Sichtbar}")
            << "Sichtbar";
        QTest::newRow("delimiter blank belongs to the word")
            << QByteArray("{\\rtf1\\b fett\\b0  x}") << "fett x";
        QTest::newRow("number ends the word") << QByteArray("{\\rtf1\\fs24x}") << "x";
        QTest::newRow("negative number") << QByteArray("{\\rtf1\\li-720 x}") << "x";
        QTest::newRow("escaped symbols")
            << QByteArray("{\\rtf1 a\\\\b\\{c\\}d\\~e\\-f\\_g}") << QString::fromUtf8("a\\b{c}d\u00a0ef-g");
        QTest::newRow("paragraphs and tabs")
            << QByteArray("{\\rtf1 a\\par b\\line c\\tab d\\\r\ne}") << "a\nb\nc\td\ne";
        QTest::newRow("hex escape in code page 1252")
            << QByteArray("{\\rtf1\\ansi\\ansicpg1252 \\'e4\\'80}") << QString::fromUtf8("ä€");
        QTest::newRow("unicode with fallback")
            << QByteArray("{\\rtf1\\uc1 \\u228?x}") << QString::fromUtf8("äx");
        QTest::newRow("unicode with hex fallback")
            << QByteArray("{\\rtf1\\u8364\\'80x}") << QString::fromUtf8("€x");
        QTest::newRow("two fallback characters")
            << QByteArray("{\\rtf1\\uc2\\u8364 abx}") << QString::fromUtf8("€x");
        QTest::newRow("fallback ends with the group")
            << QByteArray("{\\rtf1{\\uc5\\u8364}ab}") << QString::fromUtf8("€ab");
        QTest::newRow("negative unicode")
            << QByteArray("{\\rtf1\\u-10179?\\u-8704?}") << QString::fromUtf8("\U0001F600");
        QTest::newRow("binary data skipped") << QByteArray("{\\rtf1 a\\bin4 {}\\\\b}") << "ab";
        QTest::newRow("binary length past the end") << QByteArray("{\\rtf1 a\\bin999999999 xyz") << "a";
        QTest::newRow("ignored raw line breaks") << QByteArray("{\\rtf1 a\r\nb\nc}") << "abc";
        QTest::newRow("truncated after backslash") << QByteArray("{\\rtf1 abc\\") << "abc";
        QTest::newRow("truncated hex escape") << QByteArray("{\\rtf1 abc\\'4") << "abc";
        QTest::newRow("bad hex escape") << QByteArray("{\\rtf1 a\\'zzb}") << "ab";
        QTest::newRow("unbalanced closing braces") << QByteArray("}}}{\\rtf1 abc}}}") << "abc";
        QTest::newRow("very long number") << QByteArray("{\\rtf1\\u" + QByteArray(500, '9') + " x}") << "";
        QTest::newRow("very long control word")
            << QByteArray("{\\rtf1\\" + QByteArray(5000, 'a') + " x}") << "x";
        QTest::newRow("text after the document") << QByteArray("{\\rtf1 a}b") << "ab";
    }
    void text() {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, text);
        QCOMPARE(RtfZuText(rtf), text);
    }

    void andereCodepage() {
        if (!QStringDecoder("windows-1251").isValid())
            QSKIP("no Cyrillic code page in this Qt build");
        QCOMPARE(RtfZuText("{\\rtf1\\ansi\\ansicpg1251 \\'c0}"), QString::fromUtf8("А"));
    }

    void erkennung() {
        QVERIFY(IstRtf("{\\rtf1"));
        QVERIFY(IstRtf("{\\r"));
        QVERIFY(!IstRtf("\xEF\xBB\xBF{\\rtf1"));
        QVERIFY(!IstRtf("{\\"));
        QVERIFY(!IstRtf(""));
    }

    void grenzen() {
        // Deep nesting keeps no state per level beyond a bound and needs no recursion.
        QByteArray tief = "{\\rtf1" + QByteArray(1'000'000, '{') + "x" + QByteArray(1'000'000, '}') + "y}";
        QElapsedTimer uhr;
        uhr.start();
        QCOMPARE(RtfZuText(tief), QStringLiteral("xy"));
        // A hidden group deep down ends where it closes, also beyond the bound.
        QByteArray versteckt =
            "{\\rtf1" + QByteArray(500, '{') + "{\\*\\x geheim}" + QByteArray(500, '}') + "z}";
        QCOMPARE(RtfZuText(versteckt), QStringLiteral("z"));
        // The output is cut at the limit.
        QCOMPARE(RtfZuText("{\\rtf1 " + QByteArray(100000, 'a') + "}", 100).size(), 100);
        QCOMPARE(RtfZuText("{\\rtf1 " + QByteArray(100000, '\xE4') + "}", 100).size(), 100);
        QVERIFY(RtfZuText("abc", -5).isEmpty());
        QVERIFY(uhr.elapsed() < 20000);
    }

    // Formatting noise between the words of a body never adds text.
    void rauschenAendertNichts() {
        QRandomGenerator zufall(99);
        const QByteArray rauschen[] = {"\\b ",
                                       "\\b0 ",
                                       "{\\i}",
                                       "{\\*\\x {y} z}",
                                       "\\fs24 ",
                                       "\r\n",
                                       "{\\fonttbl{\\f0 A;}}",
                                       "{}",
                                       "\\plain ",
                                       "{\\info{\\title t}}",
                                       "{\\pict 0A0B}"};
        const QByteArray body = "3|1|31.12.2099|23:59";
        for (int runde = 0; runde < 5000; ++runde) {
            QByteArray rtf = "{\\rtf1\\ansi ";
            for (char c : body) {
                if (zufall.bounded(3) == 0)
                    rtf += rauschen[zufall.bounded(int(std::size(rauschen)))];
                else if (zufall.bounded(50) == 0)
                    rtf += "{\\*\\generator " + QByteArray(1, c) + "}"; // a copy of the character, hidden
                rtf += c;
            }
            rtf += "\\par}";
            QCOMPARE(RtfZuText(rtf), QString::fromLatin1(body + "\n"));
        }
    }
};

QTEST_GUILESS_MAIN(TstRtfText)
#include "tst_rtftext.moc"
