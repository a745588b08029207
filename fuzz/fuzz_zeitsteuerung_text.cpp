// The schedule text reader (payload of "zsantwort" and "zssenden", and the file's body with a
// stamp put in front), the date, time and number readers under it, and the round trip
// through the text form.
//
// Input: the stamped text as UTF-8.
#include "FuzzStuetze.h"

#include "common/DatumZeit.h"
#include "common/TFelder.h"
#include "schedule/Zeitsteuerung.h"

#include <QRegularExpression>
#include <charconv>

namespace {

const QDateTime jetzt(QDate(2026, 12, 1), QTime(14, 3, 27));

// The number reader against the standard library's: an optional sign and ASCII digits only.
void GanzzahlPruefen(const QString& feld) {
    const std::optional<int> wert = LeseGanzzahl(feld);
    std::optional<int> soll;
    const QByteArray ascii = feld.toUtf8();
    bool formS = !ascii.isEmpty() && ascii.size() == feld.size();
    qsizetype start = 0;
    if (formS && (ascii[0] == '+' || ascii[0] == '-'))
        start = 1;
    formS = formS && start < ascii.size();
    for (qsizetype i = start; formS && i < ascii.size(); ++i)
        formS = ascii[i] >= '0' && ascii[i] <= '9';
    if (formS) {
        // from_chars takes no '+'.
        const char* anfang = ascii.constData() + (ascii[0] == '+' ? 1 : 0);
        int zahl = 0;
        const auto [ende, fehler] = std::from_chars(anfang, ascii.constData() + ascii.size(), zahl);
        if (fehler == std::errc() && ende == ascii.constData() + ascii.size())
            soll = zahl;
    }
    FUZZ_PRUEFEN(wert == soll, QStringLiteral("%1 reads as %2, expected %3")
                                   .arg(Lesbar(feld))
                                   .arg(wert ? QString::number(*wert) : QStringLiteral("nothing"))
                                   .arg(soll ? QString::number(*soll) : QStringLiteral("nothing")));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzUmgebung();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(daten), qsizetype(groesse));
    const TFelder felder(text);
    for (int n = 2; n <= 5; ++n)
        GanzzahlPruefen(felder.Feld(n));

    // Every field falls back instead of failing.
    const TZeitsteuerungRec rec = LeseZeitsteuerungText(text, jetzt);
    const QString wozu = QStringLiteral("text %1").arg(Lesbar(text));
    FUZZ_PRUEFEN(int(rec.Aktion) >= 0 && int(rec.Aktion) <= 3,
                 wozu + QStringLiteral(": action out of range"));
    FUZZ_PRUEFEN(rec.JedenTagS == (felder.Feld(3) == QLatin1String("1")),
                 wozu + QStringLiteral(": every-day flag"));
    FUZZ_PRUEFEN(rec.Datum.isValid() && rec.Zeit.isValid(), wozu + QStringLiteral(": invalid date or time"));

    // The readers take back what the writers write.
    const std::optional<QDate> datum = LeseDatum(felder.Feld(4));
    if (datum)
        FUZZ_PRUEFEN(LeseDatum(DatumText(*datum)) == datum,
                     wozu + QStringLiteral(": date %1 written as %2")
                                .arg(datum->toString(Qt::ISODate), DatumText(*datum)));
    const std::optional<QTime> zeit = LeseZeit(felder.Feld(5));
    if (zeit)
        FUZZ_PRUEFEN(LeseZeit(ZeitTextSekunden(*zeit)) == zeit,
                     wozu + QStringLiteral(": time written with seconds"));

    // Record → text → record, once the time of day is cut to whole minutes as the fields do.
    TZeitsteuerungRec minuten = rec;
    minuten.Zeit = QTime(rec.Zeit.hour(), rec.Zeit.minute());
    const QString koerper = ZeitsteuerungText(minuten);
    static const QRegularExpression form(
        QStringLiteral("^[0-3]\\|[01]\\|\\d\\d\\.\\d\\d\\.\\d{4}\\|\\d\\d:\\d\\d$"));
    FUZZ_PRUEFEN(form.match(koerper).hasMatch(), wozu + QStringLiteral(": body ") + Lesbar(koerper));
    const QString gestempelt = ZeitsteuerungTextGestempelt(minuten, QTime(23, 59, 59));
    const TZeitsteuerungRec zurueck =
        LeseZeitsteuerungText(gestempelt, QDateTime(QDate(2000, 1, 1), QTime(0, 0)));
    FUZZ_PRUEFEN(zurueck == minuten,
                 wozu + QStringLiteral(": %1 reads back differently").arg(Lesbar(gestempelt)));
    return 0;
}
