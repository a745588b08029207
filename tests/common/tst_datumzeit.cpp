#include "common/DatumZeit.h"

#include <QTest>

class TstDatumZeit : public QObject {
    Q_OBJECT
private slots:
    void anpassungen() {
        TDatumsnamen n;
        n.KurzeTage[0] = QStringLiteral("Mo.");
        n.KurzeTage[1] = QStringLiteral("Di");
        n.KurzeMonate[0] = QStringLiteral("jan");
        n.KurzeMonate[2] = QStringLiteral("MRZ");
        n.KurzeMonate[3] = QStringLiteral("Jan"); // every short name is tested
        n.LangeMonate[0] = QStringLiteral("JANUAR");
        n.LangeMonate[5] = QStringLiteral("Januar"); // only the first long name changes
        PasseDatumsnamenAn(n);
        QCOMPARE(n.KurzeTage[0], QStringLiteral("Mo"));
        QCOMPARE(n.KurzeTage[1], QStringLiteral("Di"));
        QCOMPARE(n.KurzeMonate[0], QStringLiteral("Jän"));
        QCOMPARE(n.KurzeMonate[2], QStringLiteral("Mär"));
        QCOMPARE(n.KurzeMonate[3], QStringLiteral("Jän"));
        QCOMPARE(n.LangeMonate[0], QStringLiteral("Jänner"));
        QCOMPARE(n.LangeMonate[5], QStringLiteral("Januar"));
    }

    void statusBar_data() {
        QTest::addColumn<QDateTime>("zeit");
        QTest::addColumn<QString>("text");
        QTest::newRow("Jänner") << QDateTime(QDate(2027, 1, 4), QTime(7, 5, 59))
                                << QStringLiteral("Montag, 4. Jänner 2027, 07:05 Uhr");
        QTest::newRow("März") << QDateTime(QDate(2026, 3, 1), QTime(23, 59))
                              << QStringLiteral("Sonntag, 1. März 2026, 23:59 Uhr");
        QTest::newRow("Dezember") << QDateTime(QDate(2026, 12, 9), QTime(0, 0))
                                  << QStringLiteral("Mittwoch, 9. Dezember 2026, 00:00 Uhr");
    }
    void statusBar() {
        QFETCH(QDateTime, zeit);
        QFETCH(QString, text);
        QCOMPARE(StatusBarText(zeit), text);
    }

    void kurzeNamen() {
        QCOMPARE(KurzerTagName(QDate(2026, 12, 7)), QStringLiteral("Mo"));
        QCOMPARE(Datumsnamen().KurzeMonate[0], QStringLiteral("Jän"));
        QCOMPARE(Datumsnamen().KurzeMonate[2], QStringLiteral("Mär"));
    }

    void texte() {
        QCOMPARE(DatumText(QDate(2026, 12, 24)), QStringLiteral("24.12.2026"));
        QCOMPARE(DatumText(QDate(999, 1, 2)), QStringLiteral("02.01.0999"));
        QCOMPARE(ZeitText(QTime(7, 30, 59)), QStringLiteral("07:30"));
        QCOMPARE(ZeitTextSekunden(QTime(14, 3, 27)), QStringLiteral("14:03:27"));
    }

    void lesen() {
        QCOMPARE(LeseDatum(QStringLiteral("24.12.2026")), std::optional<QDate>(QDate(2026, 12, 24)));
        QCOMPARE(LeseDatum(QStringLiteral("1.2.2027")), std::optional<QDate>(QDate(2027, 2, 1)));
        for (const char* falsch :
             {"31.02.2027", "24.12.26", "24-12-2026", "", "x.y.z", "24.12.2026.1", "-1.12.2026"})
            QVERIFY2(!LeseDatum(QString::fromLatin1(falsch)), falsch);
        QCOMPARE(LeseZeit(QStringLiteral("07:30")), std::optional<QTime>(QTime(7, 30)));
        QCOMPARE(LeseZeit(QStringLiteral("07:30:59")), std::optional<QTime>(QTime(7, 30, 59)));
        for (const char* falsch : {"25:00", "07:60", "7", "", "07:30:60", "ab:cd", "07:30:00:00"})
            QVERIFY2(!LeseZeit(QString::fromLatin1(falsch)), falsch);
    }
};

QTEST_GUILESS_MAIN(TstDatumZeit)
#include "tst_datumzeit.moc"
