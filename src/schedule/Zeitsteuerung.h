#pragma once
// The schedule record, its one text form (file body and datagram payload) and the due test.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <optional>

// Ordinals are what the text form carries; keep the order.
enum class TZeitsteuerungAktion : quint8 {
    akKeine = 0,
    akEinschlafen = 1,
    akHerunterfahren = 2,
    akNeustart = 3
};

struct TZeitsteuerungRec {
    TZeitsteuerungAktion Aktion = TZeitsteuerungAktion::akKeine;
    bool JedenTagS = false;
    QDate Datum; // one-off date; kept but unused while JedenTagS is set
    QTime Zeit;  // whole minutes once it has passed through the text form

    friend bool operator==(const TZeitsteuerungRec&, const TZeitsteuerungRec&) = default;
};

// Action from a number; anything outside 0..3 is "none".
TZeitsteuerungAktion AktionAusNummer(int nummer);

// Body "a|j|dd.mm.yyyy|hh:nn" (seconds cut off, not rounded).
QString ZeitsteuerungText(const TZeitsteuerungRec& rec);
// Stamped form "hh:nn:ss|" + body, stamped with the writer's time of day.
QString ZeitsteuerungTextGestempelt(const TZeitsteuerungRec& rec, const QTime& jetzt);

// Reads the four fields of a stamped text (field 1, the stamp, is ignored). Bad fields fall
// back: action none, not every day, the given day, the given time of day (seconds kept; the
// time field cuts them). Limits are not applied here: the dialog's fields apply them.
TZeitsteuerungRec LeseZeitsteuerungText(QStringView gestempelt, const QDateTime& jetzt);

// Decimal integer with an optional sign; nothing else (no blanks, no other digits).
std::optional<int> LeseGanzzahl(QStringView text);

// The due test. The schedule matches during its whole minute, but never in the minute of the
// last schedule event (program start, a stored schedule, a carried-out schedule).
bool IsZeitsteuerung(bool StopS, bool SchonIcmpS, const TZeitsteuerungRec& rec, const QDateTime& progStart,
                     const QDateTime& jetzt);

// Command number of the power dispatch for an action: ordinal + 1 (2 sleep, 3 shut down,
// 4 restart).
constexpr int BefehlNr(TZeitsteuerungAktion aktion) {
    return int(aktion) + 1;
}
