#include "schedule/TEditorFelder.h"
#include "schedule/TZeitsteuerung.h"
#include "schedule/ZeitsteuerungDatei.h"
#include "support/TestUmgebung.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using A = TZeitsteuerungAktion;
Q_DECLARE_METATYPE(TZeitsteuerungRec)

namespace {
const QDateTime Start(QDate(2026, 12, 1), QTime(8, 0, 5)); // the fields' day of creation
const QDateTime Jetzt(QDate(2026, 12, 3), QTime(10, 20, 30));
const QDate Heute = Jetzt.date();
const QTime JetztMinute(10, 20);
const TZeitsteuerungRec Vorgabe{A::akKeine, false, Heute, JetztMinute};

QString Text(const TZeitsteuerungRec& r) {
    return QStringLiteral("%1 %2 %3 %4:%5")
        .arg(int(r.Aktion))
        .arg(r.JedenTagS)
        .arg(r.Datum.toString(Qt::ISODate), r.Zeit.toString(QStringLiteral("HH:mm:ss")))
        .arg(r.Zeit.msec());
}
} // namespace

namespace QTest {
template <> char* toString(const TZeitsteuerungRec& r) {
    return qstrdup(qPrintable(Text(r)));
}
} // namespace QTest

class TstZeitsteuerung : public QObject {
    Q_OBJECT

    TTestUmgebung FFakeUmgebung;
    TFakePlattform& FFake = FFakeUmgebung.Fake();
    QDateTime FUhr;
    QDateTime FProgStart;
    QTemporaryDir FOrdner;
    std::unique_ptr<TEditorFelder> FFelder;
    std::unique_ptr<TZeitsteuerung> FZs;

    QString Datei() const { return FOrdner.filePath(QStringLiteral("Zeitsteuerung.txt")); }

    void Schreibe(const QByteArray& daten) {
        QFile f(Datei());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(daten);
    }
    QByteArray Lies() {
        QFile f(Datei());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // The fields are created at program start; the clock has moved on since.
    void Neu() {
        FUhr = Start;
        FFelder = std::make_unique<TEditorFelder>([this] { return FUhr; });
        FProgStart = QDateTime();
        FZs = std::make_unique<TZeitsteuerung>(*FFelder, Datei(), FProgStart, AktuellerFake(),
                                               [this] { return FUhr; });
        FUhr = Jetzt;
    }

private slots:
    void init() {
        QFile::remove(Datei());
        Neu();
    }

    void lesen_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<TZeitsteuerungRec>("erwartet");
        const TZeitsteuerungRec bsp{A::akHerunterfahren, false, QDate(2026, 12, 24), QTime(7, 30)};
        auto mit = [&](auto aendern) {
            TZeitsteuerungRec r = bsp;
            aendern(r);
            return r;
        };
        QTest::newRow("example") << "14:03:27|2|0|24.12.2026|07:30" << bsp;
        QTest::newRow("doubled separator") << "14:03:27||2|0|24.12.2026|07:30" << bsp;
        QTest::newRow("separators at both ends") << "|14:03:27|2|0|24.12.2026|07:30|" << bsp;
        QTest::newRow("blanks and line breaks around fields") << " 14:03:27 |\t2\r|0| 24.12.2026 |07:30\r\n"
                                                              << bsp;
        QTest::newRow("further fields ignored") << "14:03:27|2|0|24.12.2026|07:30|1|1" << bsp;
        QTest::newRow("action 4") << "x|4|0|24.12.2026|07:30" << mit([](auto& r) { r.Aktion = A::akKeine; });
        QTest::newRow("action -1") << "x|-1|0|24.12.2026|07:30"
                                   << mit([](auto& r) { r.Aktion = A::akKeine; });
        QTest::newRow("action x") << "x|x|0|24.12.2026|07:30" << mit([](auto& r) { r.Aktion = A::akKeine; });
        QTest::newRow("action blank")
            << "x| |0|24.12.2026|07:30" << mit([](auto& r) { r.Aktion = A::akKeine; });
        QTest::newRow("action 2x") << "x|2x|0|24.12.2026|07:30"
                                   << mit([](auto& r) { r.Aktion = A::akKeine; });
        QTest::newRow("action too large for an integer")
            << "x|4294967298|0|24.12.2026|07:30" << mit([](auto& r) { r.Aktion = A::akKeine; });
        QTest::newRow("action in other digits") << QString::fromUtf8("x|\u0663|0|24.12.2026|07:30")
                                                << mit([](auto& r) { r.Aktion = A::akKeine; });
        QTest::newRow("action with blanks")
            << "x| 3 |0|24.12.2026|07:30" << mit([](auto& r) { r.Aktion = A::akNeustart; });
        QTest::newRow("action with sign and zero")
            << "x|+01|0|24.12.2026|07:30" << mit([](auto& r) { r.Aktion = A::akEinschlafen; });
        QTest::newRow("every day 1") << "x|2|1|24.12.2026|07:30" << mit([](auto& r) { r.JedenTagS = true; });
        QTest::newRow("every day with blanks")
            << "x|2| 1 |24.12.2026|07:30" << mit([](auto& r) { r.JedenTagS = true; });
        QTest::newRow("every day 2") << "x|2|2|24.12.2026|07:30" << bsp;
        QTest::newRow("every day true") << "x|2|true|24.12.2026|07:30" << bsp;
        QTest::newRow("every day 01") << "x|2|01|24.12.2026|07:30" << bsp;
        QTest::newRow("31 February gives today")
            << "x|2|0|31.02.2027|07:30" << mit([](auto& r) { r.Datum = Heute; });
        QTest::newRow("2200 gives the last date")
            << "x|2|0|01.01.2200|07:30" << mit([](auto& r) { r.Datum = QDate(2100, 12, 31); });
        QTest::newRow("before the program started")
            << "x|2|0|30.11.2026|07:30" << mit([](auto& r) { r.Datum = Start.date(); });
        QTest::newRow("after the start but before today")
            << "x|2|0|02.12.2026|07:30" << mit([](auto& r) { r.Datum = QDate(2026, 12, 2); });
        QTest::newRow("one-digit day and month")
            << "x|2|0|1.2.2027|07:30" << mit([](auto& r) { r.Datum = QDate(2027, 2, 1); });
        QTest::newRow("time 25:00 gives now in minutes")
            << "x|2|0|24.12.2026|25:00" << mit([](auto& r) { r.Zeit = JetztMinute; });
        QTest::newRow("seconds are cut, not rounded")
            << "x|2|0|24.12.2026|07:30:59" << mit([](auto& r) { r.Zeit = QTime(7, 30); });
        QTest::newRow("one-digit time")
            << "x|2|0|24.12.2026|7:5" << mit([](auto& r) { r.Zeit = QTime(7, 5); });
        QTest::newRow("time missing") << "x|2|0|24.12.2026" << mit([](auto& r) { r.Zeit = JetztMinute; });
        QTest::newRow("stamp only") << "14:03:27" << Vorgabe;
        QTest::newRow("empty") << "" << Vorgabe;
        QTest::newRow("separators only") << "|||" << Vorgabe;
        // Without an ASCII digit no field can hold a value: every one falls back.
        QTest::newRow("no digits") << QString::fromUtf8("x|a|\u20ac|aa.bb.cccc|xx:yy") << Vorgabe;
        QTest::newRow("other digits in date and time")
            << QString::fromUtf8("x|\u0662|1|\u0662\u0664.\u0661\u0662.\u0662\u0660\u0662\u0666|"
                                 "\u0660\u0667:\u0663\u0660")
            << TZeitsteuerungRec{A::akKeine, true, Heute, JetztMinute};
    }
    void lesen() {
        QFETCH(QString, text);
        QFETCH(TZeitsteuerungRec, erwartet);
        FZs->SetZeitsteuerung(text, true, false);
        QCOMPARE(FZs->Zeitsteuerung(), erwartet);
        QCOMPARE(FProgStart, Jetzt);
        QCOMPARE(FFelder->FelderLesen(), erwartet);
    }

    void schreiben() {
        FZs->SetZeitsteuerung(QStringLiteral("14:03:27|2|0|24.12.2026|07:30"), true, false);
        QCOMPARE(FZs->GetZeitsteuerung(false, false), QStringLiteral("2|0|24.12.2026|07:30"));
        QCOMPARE(FZs->GetZeitsteuerung(true, false), QStringLiteral("10:20:30|2|0|24.12.2026|07:30"));
        // From the fields: the part being typed is repaired when it is read.
        FFelder->Aktion = 3;
        FFelder->JedenTagS = true;
        FFelder->Zeit.Zeichen(u'9');
        QCOMPARE(FZs->GetZeitsteuerung(false, true), QStringLiteral("3|1|24.12.2026|09:30"));
        QCOMPARE(FZs->GetZeitsteuerung(false, false), QStringLiteral("2|0|24.12.2026|07:30"));
    }

    void ohneTimerBleibtDerEigeneUnberuehrt() {
        const TZeitsteuerungRec vorher = FZs->Zeitsteuerung();
        FZs->SetZeitsteuerung(QStringLiteral("14:03:27|1|1|24.12.2026|07:30"), false, false);
        QCOMPARE(FZs->Zeitsteuerung(), vorher);
        QVERIFY(!FProgStart.isValid());
        QCOMPARE(FFelder->Gesetzt, 1);
        QCOMPARE(FFelder->FelderLesen().Aktion, A::akEinschlafen);
        QVERIFY(!QFile::exists(Datei()));
    }

    void vomPeerGespeichert() {
        QByteArray inDerDateiBeimStoppen = "-";
        FZs->TimerStoppen = [&] { inDerDateiBeimStoppen = Lies(); };
        FZs->SetZeitsteuerung(QStringLiteral("09:59:30|3|1|24.12.2026|06:15"), true, true);
        QCOMPARE(inDerDateiBeimStoppen, QByteArray()); // stopped before the file was written
        QCOMPARE(Lies(), QByteArray("3|1|24.12.2026|06:15\r\n"));
        QCOMPARE(FProgStart, Jetzt);
        // Without TimerS nothing is saved, whatever SaveFileS says.
        QFile::remove(Datei());
        FZs->SetZeitsteuerung(QStringLiteral("09:59:30|1|1|24.12.2026|06:15"), false, true);
        QVERIFY(!QFile::exists(Datei()));
    }

    void laden_data() {
        QTest::addColumn<QByteArray>("inhalt");
        QTest::addColumn<TZeitsteuerungRec>("erwartet");
        const TZeitsteuerungRec bsp{A::akHerunterfahren, false, QDate(2026, 12, 24), QTime(7, 30)};
        QTest::newRow("body") << QByteArray("2|0|24.12.2026|07:30\r\n") << bsp;
        QTest::newRow("body without line break") << QByteArray("2|0|24.12.2026|07:30") << bsp;
        QTest::newRow("blank lines around") << QByteArray("\r\n \t2|0|24.12.2026|07:30 \r\n\r\n") << bsp;
        QTest::newRow("UTF-8 mark") << QByteArray("\xEF\xBB\xBF"
                                                  "2|0|24.12.2026|07:30\r\n")
                                    << bsp;
        const QString body = QStringLiteral("2|0|24.12.2026|07:30\r\n");
        QTest::newRow("UTF-16LE mark")
            << QByteArray("\xFF\xFE", 2) + QStringEncoder(QStringConverter::Utf16LE).encode(body) << bsp;
        QTest::newRow("rich text")
            << QByteArray("{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat{\\fonttbl{\\f0\\fnil\\fcharset0 "
                          "Calibri;}}\r\n{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n"
                          "\\pard\\sa200\\sl276\\slmult1\\f0\\fs22\\lang7 2|0|24.12.2026|07:30\\par\r\n}\r\n")
            << bsp;
        QTest::newRow("stamped text is read shifted")
            << QByteArray("14:03:27|2|0|24.12.2026|07:30") << Vorgabe;
        QTest::newRow("a past one-off moves to the start day")
            << QByteArray("1|0|30.11.2026|07:00")
            << TZeitsteuerungRec{A::akEinschlafen, false, Start.date(), QTime(7, 0)};
    }
    void laden() {
        QFETCH(QByteArray, inhalt);
        QFETCH(TZeitsteuerungRec, erwartet);
        Schreibe(inhalt);
        FZs->ZeitsteuerungLadenSpeichern(true);
        QCOMPARE(FZs->Zeitsteuerung(), erwartet);
        QCOMPARE(FProgStart, Jetzt);
    }

    void ladenLaesstVorgaben_data() {
        QTest::addColumn<QByteArray>("inhalt");
        QTest::newRow("missing") << QByteArray("<fehlt>");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("blanks and line breaks") << QByteArray(" \r\n\t \r\n");
        QTest::newRow("a folder") << QByteArray("<ordner>");
        QTest::newRow("a named pipe") << QByteArray("<fifo>");
    }
    void ladenLaesstVorgaben() {
        QFETCH(QByteArray, inhalt);
        if (inhalt == "<ordner>")
            QVERIFY(QDir().mkpath(Datei()));
        else if (inhalt == "<fifo>")
            QCOMPARE(::mkfifo(QFile::encodeName(Datei()).constData(), 0600), 0); // must not block
        else if (inhalt != "<fehlt>")
            Schreibe(inhalt);
        FZs->SetZeitsteuerung(QStringLiteral("x|3|1|24.12.2026|07:30"), true, false); // something to replace
        FProgStart = QDateTime();
        FZs->ZeitsteuerungLadenSpeichern(true);
        // The defaults keep the seconds; only the text form cuts them.
        QCOMPARE(FZs->Zeitsteuerung(), (TZeitsteuerungRec{A::akKeine, false, Heute, Jetzt.time()}));
        QVERIFY(!FProgStart.isValid()); // the controller sets it after loading
        if (inhalt == "<ordner>")
            QDir(Datei()).removeRecursively();
        else if (inhalt == "<fifo>")
            QFile::remove(Datei());
    }

    void speichernNachLeererDatei() {
        Schreibe(" \r\n");
        FZs->ZeitsteuerungLadenSpeichern(true);
        FUhr = Jetzt.addSecs(3 * 3600);
        FZs->ZeitsteuerungLadenSpeichern(false);
        QCOMPARE(Lies(), QByteArray("0|0|03.12.2026|10:20\r\n"));
    }

    void speichernUeberschreibtSchreibgeschuetzte() {
        Schreibe("1|1|24.12.2026|07:30\r\n");
        QVERIFY(QFile::setPermissions(Datei(), QFile::ReadOwner | QFile::ReadUser));
        FZs->SetZeitsteuerung(QStringLiteral("x|2|0|25.12.2026|08:45"), true, false);
        FZs->ZeitsteuerungLadenSpeichern(false);
        QCOMPARE(Lies(), QByteArray("2|0|25.12.2026|08:45\r\n"));
        QVERIFY(FFake.FAufrufe.contains(QStringLiteral("DateiAttributeEntfernen ") + Datei()));
        // Latin-1 as the ANSI code page writes the same bytes: the text is ASCII, no mark.
        FFake.FAnsiUtf8S = false;
        FZs->ZeitsteuerungLadenSpeichern(false);
        QCOMPARE(Lies(), QByteArray("2|0|25.12.2026|08:45\r\n"));
    }

    // A schedule file that exists but cannot be read is never written over in this run; the
    // user hears it once.
    void unlesbareDateiWirdNieUeberschrieben_data() {
        QTest::addColumn<QByteArray>("art");
        QTest::newRow("ohne Leserecht") << QByteArray("<gesperrt>");
        QTest::newRow("FIFO") << QByteArray("<fifo>");
        QTest::newRow("Ordner") << QByteArray("<ordner>");
    }
    void unlesbareDateiWirdNieUeberschrieben() {
        QFETCH(QByteArray, art);
        if (art == "<gesperrt>") {
            Schreibe("1|1|24.12.2026|07:30\r\n");
            FFake.FLeseFehler.insert(Datei(), QStringLiteral("keine Berechtigung"));
        } else if (art == "<fifo>") {
            QCOMPARE(::mkfifo(QFile::encodeName(Datei()).constData(), 0600), 0);
        } else {
            QVERIFY(QDir().mkpath(Datei()));
        }
        QStringList meldungen;
        FZs->Melden = [&](const QString& t) { meldungen << t; };
        FZs->ZeitsteuerungLadenSpeichern(true);
        QCOMPARE(FZs->Zeitsteuerung().Aktion, A::akKeine);
        QCOMPARE(meldungen.size(), 1);
        QVERIFY2(meldungen[0].startsWith(QStringLiteral("Die Zeitsteuerung „") + Datei() +
                                         QStringLiteral("“ konnte nicht gelesen werden (")),
                 qPrintable(meldungen[0]));
        QVERIFY(meldungen[0].endsWith(
            QStringLiteral("). Sie wird bis zum nächsten Programmstart nicht überschrieben.")));
        QVERIFY(!FZs->Sperrgrund().isEmpty());
        const int versuche = FFake.FSchreibVersuche;
        // At close, and when a peer sends a schedule: nothing is written.
        FZs->ZeitsteuerungLadenSpeichern(false);
        FZs->SetZeitsteuerung(QStringLiteral("x|2|0|25.12.2026|08:45"), true, true);
        QCOMPARE(FZs->Zeitsteuerung().Aktion, A::akHerunterfahren); // in memory it is the own one
        QCOMPARE(FFake.FSchreibVersuche, versuche);
        QCOMPARE(meldungen.size(), 1);
        if (art == "<gesperrt>")
            QCOMPARE(Lies(), QByteArray("1|1|24.12.2026|07:30\r\n"));
        else
            QVERIFY(QFileInfo::exists(Datei()) && !QFileInfo(Datei()).isFile());
        FFake.FLeseFehler.clear();
        if (art == "<ordner>")
            QDir(Datei()).removeRecursively();
        else
            QFile::remove(Datei());
    }

    void speicherfehlerEinmalGemeldet() {
        Schreibe("1|1|24.12.2026|07:30\r\n");
        QStringList meldungen;
        FZs->Melden = [&](const QString& t) { meldungen << t; };
        FZs->ZeitsteuerungLadenSpeichern(true);
        FFake.FSchreibFehler.insert(Datei(), QStringLiteral("kein Speicherplatz mehr auf dem Datenträger"));
        FZs->SetZeitsteuerung(QStringLiteral("x|2|0|25.12.2026|08:45"), true, true);
        FZs->ZeitsteuerungLadenSpeichern(false);
        QCOMPARE(Lies(), QByteArray("1|1|24.12.2026|07:30\r\n"));
        const QString text =
            QStringLiteral("Die Zeitsteuerung konnte nicht in „") + Datei() +
            QStringLiteral("“ gespeichert werden (kein Speicherplatz mehr auf dem Datenträger).");
        QCOMPARE(meldungen, QStringList{text + QStringLiteral(" Die bisherige Datei bleibt unverändert.")});
        QCOMPARE(FZs->SpeicherFehlerText(), text);
        FFake.FSchreibFehler.clear();
        FZs->ZeitsteuerungLadenSpeichern(false);
        QCOMPARE(Lies(), QByteArray("2|0|25.12.2026|08:45\r\n"));
        QVERIFY(FZs->SpeicherFehlerText().isEmpty());
    }

    void speichernOhneOrdnerScheitertLeise() {
        QDateTime ps;
        TZeitsteuerung zs(*FFelder, FOrdner.filePath(QStringLiteral("fehlt/Zeitsteuerung.txt")), ps,
                          AktuellerFake(), [this] { return FUhr; });
        zs.ZeitsteuerungLadenSpeichern(false);
        QVERIFY(!QFile::exists(zs.Datei()));
        QVERIFY(
            !SchreibeZeitsteuerungDatei(AktuellerFake(), zs.Datei(), QStringLiteral("0|0|03.12.2026|10:20")));
        QVERIFY(!SchreibeZeitsteuerungDatei(AktuellerFake(), QString(), QStringLiteral("x")));
    }

    void faellig_data() {
        QTest::addColumn<bool>("stop");
        QTest::addColumn<bool>("schonIcmp");
        QTest::addColumn<TZeitsteuerungRec>("rec");
        QTest::addColumn<QDateTime>("progStart");
        QTest::addColumn<QDateTime>("jetzt");
        QTest::addColumn<bool>("faellig");

        const QDate tag(2026, 12, 3);
        const TZeitsteuerungRec taeglich{A::akEinschlafen, true, QDate(2026, 12, 1), QTime(22, 15)};
        const QDateTime frueh(tag, QTime(7, 0, 20));
        auto um = [&](int h, int m, int s, int tage = 0) {
            return QDateTime(tag.addDays(tage), QTime(h, m, s));
        };
        QTest::newRow("start of the minute") << false << true << taeglich << frueh << um(22, 15, 0) << true;
        QTest::newRow("end of the minute") << false << true << taeglich << frueh << um(22, 15, 59) << true;
        QTest::newRow("next minute") << false << true << taeglich << frueh << um(22, 16, 0) << false;
        QTest::newRow("minute before") << false << true << taeglich << frueh << um(22, 14, 59) << false;
        QTest::newRow("stopping") << true << true << taeglich << frueh << um(22, 15, 1) << false;
        QTest::newRow("before the first probe round")
            << false << false << taeglich << frueh << um(22, 15, 1) << false;
        QTest::newRow("no action") << false << true << TZeitsteuerungRec{A::akKeine, true, tag, QTime(22, 15)}
                                   << frueh << um(22, 15, 1) << false;
        QTest::newRow("already carried out this minute")
            << false << true << taeglich << um(22, 15, 1) << um(22, 15, 3) << false;
        QTest::newRow("carried out yesterday at this minute")
            << false << true << taeglich << um(22, 15, 1, -1) << um(22, 15, 3) << true;
        QTest::newRow("program started in the minute")
            << false << true << TZeitsteuerungRec{A::akEinschlafen, true, tag, QTime(7, 0)} << frueh
            << um(7, 0, 40) << false;
        QTest::newRow("stored at 09:59:30 for 09:59")
            << false << true << TZeitsteuerungRec{A::akHerunterfahren, false, tag, QTime(9, 59)}
            << um(9, 59, 30) << um(9, 59, 32) << false;
        QTest::newRow("one-off for tomorrow, today")
            << false << true << TZeitsteuerungRec{A::akNeustart, false, tag.addDays(1), QTime(8, 0)} << frueh
            << um(8, 0, 1) << false;
        QTest::newRow("one-off for tomorrow, tomorrow")
            << false << true << TZeitsteuerungRec{A::akNeustart, false, tag.addDays(1), QTime(8, 0)} << frueh
            << um(8, 0, 1, 1) << true;
        QTest::newRow("one-off date unused every day")
            << false << true << TZeitsteuerungRec{A::akNeustart, true, tag.addDays(5), QTime(8, 0)} << frueh
            << um(8, 0, 1) << true;
        QTest::newRow("midnight after a start just before")
            << false << true << TZeitsteuerungRec{A::akEinschlafen, true, tag, QTime(0, 0)}
            << um(23, 59, 30, -1) << um(0, 0, 10) << true;
        QTest::newRow("one-off at midnight of its day")
            << false << true << TZeitsteuerungRec{A::akEinschlafen, false, tag, QTime(0, 0)}
            << um(23, 0, 0, -1) << um(0, 0, 0) << true;
        QTest::newRow("one-off at midnight, the day before")
            << false << true << TZeitsteuerungRec{A::akEinschlafen, false, tag, QTime(0, 0)}
            << um(22, 0, 0, -2) << um(0, 0, 0, -1) << false;
        QTest::newRow("no program start stamp")
            << false << true << taeglich << QDateTime() << um(22, 15, 0) << true;
    }
    void faellig() {
        QFETCH(bool, stop);
        QFETCH(bool, schonIcmp);
        QFETCH(TZeitsteuerungRec, rec);
        QFETCH(QDateTime, progStart);
        QFETCH(QDateTime, jetzt);
        QFETCH(bool, faellig);
        QCOMPARE(IsZeitsteuerung(stop, schonIcmp, rec, progStart, jetzt), faellig);
    }

    void ausfuehren() {
        FZs->SetZeitsteuerung(QStringLiteral("x|2|1|01.12.2026|22:15"), true, false);
        FUhr = QDateTime(Heute, QTime(22, 15, 1));
        QVERIFY(FZs->IsZeitsteuerung(false, true));
        QCOMPARE(FZs->AusfuehrungMerken(), std::optional<int>(3));
        QCOMPARE(FProgStart, FUhr);
        FUhr = FUhr.addSecs(2);
        QVERIFY(!FZs->IsZeitsteuerung(false, true)); // not twice in the minute
        FUhr = FUhr.addDays(1);
        QVERIFY(FZs->IsZeitsteuerung(false, true));                 // every day: again tomorrow
        QCOMPARE(FZs->Zeitsteuerung().Aktion, A::akHerunterfahren); // carrying out changes nothing

        const int nummern[] = {2, 4};
        int i = 0;
        for (const char* text : {"x|1|1|01.12.2026|22:15", "x|3|1|01.12.2026|22:15"}) {
            FZs->SetZeitsteuerung(QString::fromLatin1(text), true, false);
            QCOMPARE(FZs->AusfuehrungMerken(), std::optional<int>(nummern[i++]));
        }
        FZs->SetZeitsteuerung(QStringLiteral("x|0|1|01.12.2026|22:15"), true, false);
        QCOMPARE(FZs->AusfuehrungMerken(), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TstZeitsteuerung)
#include "tst_zeitsteuerung.moc"
