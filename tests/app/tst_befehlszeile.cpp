#include "app/Befehlszeile.h"

#include <QTest>

// The command line's reading of its arguments and of its targets; the lab test runs it whole.
class TstBefehlszeile : public QObject {
    Q_OBJECT

    static THostListRec Host(const QString& pc, const QString& ip, const QString& mac) {
        THostListRec e;
        e.PC = pc;
        e.IP = ip;
        e.MAC = mac;
        return e;
    }

private slots:
    void auftrag_data() {
        QTest::addColumn<QStringList>("argumente");
        QTest::addColumn<QString>("fehler"); // empty: accepted
        QTest::newRow("liste json") << QStringList{"--liste", "--json"} << "";
        QTest::newRow("mehrere Ziele") << QStringList{"--wecken", "A", "B"} << "";
        QTest::newRow("alle") << QStringList{"--herunterfahren", "--alle"} << "";
        QTest::newRow("setzen") << QStringList{"--zeitsteuerung", "A", "--setzen", "3|0|1.2.2030|7:05"} << "";
        QTest::newRow("ohne Ziel") << QStringList{"--neustart"} << "--neustart braucht";
        QTest::newRow("zwei Aufgaben") << QStringList{"--liste", "--wecken", "A"} << "genau eine Aufgabe";
        QTest::newRow("unbekannt") << QStringList{"--abschalten", "A"} << "Unbekannte Option: --abschalten";
        QTest::newRow("json ohne liste") << QStringList{"--wecken", "A", "--json"} << "--json gilt nur";
        QTest::newRow("zwei Zeitziele") << QStringList{"--zeitsteuerung", "A", "B"} << "genau ein Ziel";
        QTest::newRow("Aktion 4") << QStringList{"--zeitsteuerung", "A", "--setzen", "4|0|1.2.2030|7:05"}
                                  << "Ungültige Zeitsteuerung";
        QTest::newRow("31. Februar") << QStringList{"--zeitsteuerung", "A", "--setzen", "1|0|31.02.2030|7:05"}
                                     << "Ungültige Zeitsteuerung";
        QTest::newRow("setzen ohne Wert")
            << QStringList{"--zeitsteuerung", "A", "--setzen"} << "braucht einen Wert";
        QTest::newRow("Ziel bei liste") << QStringList{"--liste", "A"} << "Unerwartetes Argument: A";
    }
    void auftrag() {
        QFETCH(QStringList, argumente);
        QFETCH(QString, fehler);
        const auto a = AuftragLesen(argumente);
        const QString meldung = std::holds_alternative<QString>(a) ? std::get<QString>(a) : QString();
        if (fehler.isEmpty())
            QVERIFY2(meldung.isEmpty(), qPrintable(meldung));
        else
            QVERIFY2(meldung.contains(fehler), qPrintable(meldung));
        // A plain start and the autostart option stay the program's own.
        QVERIFY(!IstBefehlszeile({"/systemstartup"}));
        QVERIFY(!IstBefehlszeile({}));
    }

    void ziele_data() {
        QTest::addColumn<QStringList>("ziele");
        QTest::addColumn<bool>("alleS");
        QTest::addColumn<QStringList>("erwartet"); // device names, or the start of the message
        QTest::newRow("Name in anderer Schreibung")
            << QStringList{"kueche"} << false << QStringList{"KUECHE"};
        QTest::newRow("Adresse") << QStringList{"10.0.0.3"} << false << QStringList{"BAD"};
        QTest::newRow("MAC mit Doppelpunkten")
            << QStringList{"02:00:00:00:00:03"} << false << QStringList{"BAD"};
        QTest::newRow("MAC ohne Trenner") << QStringList{"020000000002"} << false << QStringList{"KUECHE"};
        QTest::newRow("doppelt genannt")
            << QStringList{"KUECHE", "10.0.0.2"} << false << QStringList{"KUECHE"};
        QTest::newRow("alle außer dem eigenen")
            << QStringList{} << true << QStringList{"KUECHE", "BAD", "bad"};
        QTest::newRow("mehrdeutig") << QStringList{"Bad"} << false
                                    << QStringList{
                                           "Ziel \"Bad\" ist mehrdeutig: BAD (10.0.0.3, 02-00-00-00-00-03); "
                                           "bad (10.0.0.4, 02-00-00-00-00-04)"};
        QTest::newRow("unbekannt") << QStringList{"10.0.0.9"} << false
                                   << QStringList{"Ziel \"10.0.0.9\" ist nicht in der Liste."};
    }
    void ziele() {
        QFETCH(QStringList, ziele);
        QFETCH(bool, alleS);
        QFETCH(QStringList, erwartet);
        const THostListListe liste{
            Host("ICH", "10.0.0.1", "02-00-00-00-00-01"), Host("KUECHE", "10.0.0.2", "02-00-00-00-00-02"),
            Host("BAD", "10.0.0.3", "02-00-00-00-00-03"), Host("bad", "10.0.0.4", "02-00-00-00-00-04")};
        const auto ergebnis = ZieleAufloesen(ziele, alleS, liste, {"02-00-00-00-00-01"});
        QStringList namen;
        if (const auto* hosts = std::get_if<THostListListe>(&ergebnis))
            for (const THostListRec& e : *hosts)
                namen << e.PC;
        else
            namen << std::get<QString>(ergebnis);
        QCOMPARE(namen, erwartet);
    }
};

QTEST_GUILESS_MAIN(TstBefehlszeile)
#include "tst_befehlszeile.moc"
