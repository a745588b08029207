#pragma once
// Entry field for a time of day: "14:35 " with an attached up-down control.

#include "schedule/TTeilFeld.h"
#include "schedule/TZeitEditor.h"

#include <QTime>

class TTimePicker : public TTeilFeld {
    Q_OBJECT
public:
    // The current time; uhr gives "now" (default: the system clock).
    explicit TTimePicker(QWidget* AOwner, TTeilEditor::TUhr uhr = {});

    QTime Zeit();
    void SetZeit(const QTime& AZeit);
    static QTime MinZeit() { return TZeitEditor::MinZeit(); }
    static QTime MaxZeit() { return TZeitEditor::MaxZeit(); }

    TZeitEditor& ZeitEditor() const { return *FZeitEditor; }

protected:
    void NeuAufbauen() override { FZeitEditor->NeuAufbauen(); }

private:
    TZeitEditor* FZeitEditor;
};
