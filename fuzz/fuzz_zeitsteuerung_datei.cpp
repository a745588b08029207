// Loading the schedule file "Zeitsteuerung.txt" the way the program does at start: the file
// read whole (byte-order marks, rich text), the text through the real schedule dialog's
// fields, then saving and loading again.
//
// Input: the file's bytes.
#include "FuzzStuetze.h"

#include "common/DatumZeit.h"
#include "common/TFelder.h"
#include "schedule/TZeitDlg.h"
#include "schedule/TZeitsteuerung.h"
#include "schedule/ZeitsteuerungDatei.h"

#include <QDir>
#include <QFile>

namespace {

const QDateTime jetzt(QDate(2026, 12, 1), QTime(14, 3, 27));
QString pfad;
TZeitDlg* dialog = nullptr;
QDateTime progStart;

QString Beschreibung(const TZeitsteuerungRec& r) {
    return QStringLiteral("%1|%2|%3|%4")
        .arg(int(r.Aktion))
        .arg(int(r.JedenTagS))
        .arg(r.Datum.toString(Qt::ISODate), r.Zeit.toString(Qt::ISODateWithMs));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzAnwendung(true);
    FuzzUmgebung().Fake().FJetzt = jetzt;
    QDir().mkpath(FuzzUmgebung().Fake().Basis() + QStringLiteral("/fuzz"));
    pfad = FuzzUmgebung().Fake().Basis() + QStringLiteral("/fuzz/Zeitsteuerung.txt");
    dialog = new TZeitDlg(nullptr, [] { return jetzt; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
    const QByteArray inhalt(reinterpret_cast<const char*>(daten), qsizetype(groesse));
    {
        QFile datei(pfad);
        FUZZ_PRUEFEN(datei.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                         datei.write(inhalt) == inhalt.size(),
                     QStringLiteral("cannot write the test file"));
    }
    const QString text = ZeitsteuerungDateiText(AktuellerFake(), inhalt);
    FUZZ_PRUEFEN(LeseZeitsteuerungDatei(AktuellerFake(), pfad) == text,
                 QStringLiteral("the file reads differently from its bytes"));
    FUZZ_PRUEFEN(text == TrimSteuer(text), QStringLiteral("untrimmed text ") + Lesbar(text));

    progStart = QDateTime();
    TZeitsteuerung zs(*dialog, pfad, progStart, AktuellerFake(), [] { return jetzt; });
    zs.ZeitsteuerungLadenSpeichern(true);
    const TZeitsteuerungRec rec = zs.Zeitsteuerung();
    const QString wozu =
        QStringLiteral("file %1 (text %2) loaded as %3").arg(Lesbar(inhalt), Lesbar(text), Beschreibung(rec));
    if (text.isEmpty()) {
        const TZeitsteuerungRec vorgabe{TZeitsteuerungAktion::akKeine, false, jetzt.date(), jetzt.time()};
        FUZZ_PRUEFEN(rec == vorgabe, wozu + QStringLiteral(": not the defaults"));
    } else {
        // Through the dialog's fields: within their limits and in whole minutes.
        FUZZ_PRUEFEN(int(rec.Aktion) >= 0 && int(rec.Aktion) <= 3, wozu);
        FUZZ_PRUEFEN(rec.Datum.isValid() && rec.Datum >= jetzt.date() && rec.Datum <= QDate(2100, 12, 31),
                     wozu);
        FUZZ_PRUEFEN(rec.Zeit.isValid() && rec.Zeit.second() == 0 && rec.Zeit.msec() == 0, wozu);
        FUZZ_PRUEFEN(progStart == jetzt,
                     wozu + QStringLiteral(": a stored schedule must reset the last event"));
    }

    // Saving writes the body alone; loading that gives the same schedule.
    zs.ZeitsteuerungLadenSpeichern(false);
    QFile gespeichert(pfad);
    FUZZ_PRUEFEN(gespeichert.open(QIODevice::ReadOnly), wozu + QStringLiteral(": no file after saving"));
    const QByteArray neu = gespeichert.readAll();
    TZeitsteuerungRec minuten = rec;
    minuten.Zeit = QTime(rec.Zeit.hour(), rec.Zeit.minute());
    FUZZ_PRUEFEN(neu == ZeitsteuerungText(minuten).toLatin1() + "\r\n",
                 wozu + QStringLiteral(": saved as ") + Lesbar(neu));
    TZeitsteuerung nochmal(*dialog, pfad, progStart, AktuellerFake(), [] { return jetzt; });
    nochmal.ZeitsteuerungLadenSpeichern(true);
    FUZZ_PRUEFEN(nochmal.Zeitsteuerung() == minuten,
                 wozu + QStringLiteral(": saved as %1, loaded back as %2")
                            .arg(Lesbar(neu), Beschreibung(nochmal.Zeitsteuerung())));
    return 0;
}
