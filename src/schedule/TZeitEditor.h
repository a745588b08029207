#pragma once
// Editing logic of the time field: "14:35 " with the parts hours (1) and minutes (2).

#include "schedule/TTeilEditor.h"

#include <QTime>

class TZeitEditor : public TTeilEditor {
public:
    // Starts on the current time (from uhr) with the hours marked.
    explicit TZeitEditor(TPiep piep = {}, TUhr uhr = {});

    // The time the text shows (hours and minutes), repaired; MinZeit when it is none.
    QTime Zeit();
    // Shows a time of day (seconds are kept in the assigned value, not in the text).
    void SetZeit(const QTime& zeit);
    QTime GesetzteZeit() const { return FZeit; }
    void NeuAufbauen() { SetZeit(FZeit); }

    static QTime MinZeit() { return QTime(0, 0, 0); }
    static QTime MaxZeit() { return QTime(23, 59, 59); }

    void CheckEingabe() override;

    static QString FeldText(const QTime& zeit);

protected:
    TTeil Teil(int nr) const override;
    int TeilAnStelle(int pos) const override { return pos <= 2 ? 1 : 2; }
    void TeilVoll(bool getipptS) override;
    void Schritt(bool aufS, int n) override;
    int Seitenschritt() const override { return 6; }

private:
    QTime FZeit;
};
