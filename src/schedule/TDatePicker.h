#pragma once
// Entry field for a calendar date: "Mo, 07.12.2026 " with an attached up-down control.

#include "schedule/TDatumEditor.h"
#include "schedule/TTeilFeld.h"

#include <QDate>

class TDatePicker : public TTeilFeld {
    Q_OBJECT
public:
    // Today as the date and both limits; uhr gives "today" (default: the system clock).
    explicit TDatePicker(QWidget* AOwner, TTeilEditor::TUhr uhr = {});

    QDate Datum();
    void SetDatum(const QDate& ADatum);
    QDate MinDatum() const { return DatumEditor().MinDatum(); }
    void SetMinDatum(const QDate& ADatum);
    QDate MaxDatum() const { return DatumEditor().MaxDatum(); }
    void SetMaxDatum(const QDate& ADatum);

    TDatumEditor& DatumEditor() const { return *FDatumEditor; }

protected:
    void NeuAufbauen() override { FDatumEditor->NeuAufbauen(); }

private:
    TDatumEditor* FDatumEditor;
};
