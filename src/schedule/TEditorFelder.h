#pragma once
// The schedule dialog's four fields without a window: the same editors, set up with the
// dialog's limits (the day of creation to 31.12.2100), for the session core run alone.

#include "schedule/TDatumEditor.h"
#include "schedule/TZeitEditor.h"
#include "schedule/TZeitsteuerungFelder.h"

class TEditorFelder : public TZeitsteuerungFelder {
public:
    explicit TEditorFelder(const TTeilEditor::TUhr& uhr) : Datum({}, uhr), Zeit({}, uhr) {
        const QDate heute = uhr().date();
        Datum.SetMinDatum(heute);
        Datum.SetMaxDatum(QDate(2100, 12, 31));
        Datum.SetDatum(heute);
    }

    void FelderSetzen(const TZeitsteuerungRec& rec) override {
        Aktion = int(rec.Aktion);
        JedenTagS = rec.JedenTagS;
        Datum.SetDatum(rec.Datum);
        Zeit.SetZeit(rec.Zeit);
        ++Gesetzt;
    }
    TZeitsteuerungRec FelderLesen() override {
        return {AktionAusNummer(Aktion), JedenTagS, Datum.Datum(), Zeit.Zeit()};
    }

    int Aktion = 0;
    bool JedenTagS = false;
    TDatumEditor Datum;
    TZeitEditor Zeit;
    int Gesetzt = 0; // how often a text was read into the fields
};
