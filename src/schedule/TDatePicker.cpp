#include "schedule/TDatePicker.h"

#include "schedule/Piep.h"

namespace {
std::unique_ptr<TDatumEditor> NeuerEditor(TTeilEditor::TUhr uhr) {
    return std::make_unique<TDatumEditor>([] { FeldPiep(); }, std::move(uhr));
}
} // namespace

TDatePicker::TDatePicker(QWidget* AOwner, TTeilEditor::TUhr uhr)
    : TTeilFeld(AOwner, NeuerEditor(std::move(uhr))) {
    FDatumEditor = static_cast<TDatumEditor*>(&Editor());
    Abgleichen();
}

QDate TDatePicker::Datum() {
    const QDate datum = FDatumEditor->Datum();
    Abgleichen();
    return datum;
}

void TDatePicker::SetDatum(const QDate& ADatum) {
    FDatumEditor->SetDatum(ADatum);
    Abgleichen();
}

void TDatePicker::SetMinDatum(const QDate& ADatum) {
    FDatumEditor->SetMinDatum(ADatum);
    Abgleichen();
}

void TDatePicker::SetMaxDatum(const QDate& ADatum) {
    FDatumEditor->SetMaxDatum(ADatum);
    Abgleichen();
}
