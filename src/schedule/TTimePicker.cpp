#include "schedule/TTimePicker.h"

#include "schedule/Piep.h"

namespace {
std::unique_ptr<TZeitEditor> NeuerEditor(TTeilEditor::TUhr uhr) {
    return std::make_unique<TZeitEditor>([] { FeldPiep(); }, std::move(uhr));
}
} // namespace

TTimePicker::TTimePicker(QWidget* AOwner, TTeilEditor::TUhr uhr)
    : TTeilFeld(AOwner, NeuerEditor(std::move(uhr))) {
    FZeitEditor = static_cast<TZeitEditor*>(&Editor());
    Abgleichen();
}

QTime TTimePicker::Zeit() {
    const QTime zeit = FZeitEditor->Zeit();
    Abgleichen();
    return zeit;
}

void TTimePicker::SetZeit(const QTime& AZeit) {
    FZeitEditor->SetZeit(AZeit);
    Abgleichen();
}
