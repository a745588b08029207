#pragma once
// Editing logic of the date field: "Mo, 07.12.2026 " with the parts day name (0), day (1),
// month (2) and year (3), held within MinDatum and MaxDatum.

#include "schedule/TTeilEditor.h"

#include <QDate>

class TDatumEditor : public TTeilEditor {
public:
    // Starts on today (from uhr) with today as both limits and the day marked.
    explicit TDatumEditor(TPiep piep = {}, TUhr uhr = {});

    // The date the text shows, repaired and held within the limits; the last day of the
    // month (February: the 28th) when the day does not exist in it.
    QDate Datum();
    // Shows a date (held within the limits) and re-marks the marked part.
    void SetDatum(const QDate& datum);
    // The date last assigned; the text is rebuilt from it when the field is placed.
    QDate GesetztesDatum() const { return FDatum; }
    void NeuAufbauen() { SetDatum(FDatum); }

    QDate MinDatum() const { return FMinDatum; }
    void SetMinDatum(const QDate& datum);
    QDate MaxDatum() const { return FMaxDatum; }
    void SetMaxDatum(const QDate& datum);

    void CheckEingabe() override;

    // "Mo, 07.12.2026 ": the whole text for a date.
    static QString FeldText(const QDate& datum);
    // The day-name part: the first two characters of the short day name (a one-character
    // name gets a blank in front).
    static QString TagNamenTeil(const QDate& datum);

protected:
    TTeil Teil(int nr) const override;
    int TeilAnStelle(int pos) const override;
    bool Eingebbar(int nr) const override { return nr >= 1; }
    void TeilVoll(bool getipptS) override;
    void Schritt(bool aufS, int n) override;
    int Seitenschritt() const override { return 7; }

private:
    QDate Begrenzt(const QDate& datum) const;

    QDate FDatum;
    QDate FMinDatum;
    QDate FMaxDatum;
};
