#pragma once
// Date and time texts fixed by the program, not by the user's locale: German names
// (Austrian months), "." between date parts, ":" between time parts.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <optional>

struct TDatumsnamen {
    QString KurzeTage[7]; // index 0 = Monday
    QString LangeTage[7];
    QString KurzeMonate[12];
    QString LangeMonate[12];
};

// The process-wide names after the start-up adjustments (no trailing "." on short day
// names, "Jän", "Mär", "Jänner").
const TDatumsnamen& Datumsnamen();
// The adjustments, applied to any set of names (exposed for tests).
void PasseDatumsnamenAn(TDatumsnamen& namen);

QString KurzerTagName(const QDate& datum);
QString LangerTagName(const QDate& datum);
QString LangerMonatName(const QDate& datum);

// "dddd, d. mmmm yyyy, hh:nn \"Uhr\"" as the status bar shows it.
QString StatusBarText(const QDateTime& jetzt);
QString DatumText(const QDate& datum);        // dd.mm.yyyy
QString ZeitText(const QTime& zeit);          // hh:nn
QString ZeitTextSekunden(const QTime& zeit);  // hh:nn:ss
QString DatumZeitMinute(const QDateTime& dt); // dd.mm.yyyy hh:nn

// Readers for the forms written above; day and month may have one digit.
std::optional<QDate> LeseDatum(const QString& text);
// "hh:nn" or "hh:nn:ss", hours 0..23; one-digit parts accepted.
std::optional<QTime> LeseZeit(const QString& text);
