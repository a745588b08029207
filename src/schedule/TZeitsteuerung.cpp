#include "schedule/TZeitsteuerung.h"

#include "common/DatumZeit.h"
#include "schedule/ZeitsteuerungDatei.h"

TZeitsteuerung::TZeitsteuerung(TZeitsteuerungFelder& felder, QString datei, QDateTime& progStartDateTime,
                               TDateien& dateien, TUhr uhr)
    : FFelder(felder), FDatei(std::move(datei)), FProgStartDateTime(progStartDateTime), FDateien(dateien),
      FUhr(std::move(uhr)) {
    const QDateTime jetzt = Jetzt();
    FZeitsteuerung.Datum = jetzt.date();
    FZeitsteuerung.Zeit = jetzt.time();
}

QDateTime TZeitsteuerung::Jetzt() const {
    return FUhr();
}

QString TZeitsteuerung::GetZeitsteuerung(bool TimeS, bool DlgS) {
    const TZeitsteuerungRec rec = DlgS ? FFelder.FelderLesen() : FZeitsteuerung;
    return TimeS ? ZeitsteuerungTextGestempelt(rec, Jetzt().time()) : ZeitsteuerungText(rec);
}

void TZeitsteuerung::SetZeitsteuerung(const QString& AData, bool TimerS, bool SaveFileS) {
    const QDateTime jetzt = Jetzt();
    SetZeitsteuerung(LeseZeitsteuerungText(AData, jetzt));
    if (!TimerS)
        return;
    FProgStartDateTime = jetzt;
    FZeitsteuerung = FFelder.FelderLesen();
    if (SaveFileS) {
        if (TimerStoppen)
            TimerStoppen();
        ZeitsteuerungLadenSpeichern(false);
    }
}

void TZeitsteuerung::SetZeitsteuerung(const TZeitsteuerungRec& AZeitsteuerung) {
    FFelder.FelderSetzen(AZeitsteuerung);
}

void TZeitsteuerung::ZeitsteuerungLadenSpeichern(bool LadenS) {
    if (!LadenS) {
        SchreibeZeitsteuerungDatei(FDateien, FDatei, GetZeitsteuerung(false, false));
        return;
    }
    const QDateTime jetzt = Jetzt();
    FZeitsteuerung = TZeitsteuerungRec{TZeitsteuerungAktion::akKeine, false, jetzt.date(), jetzt.time()};
    const std::optional<QString> text = LeseZeitsteuerungDatei(FDateien, FDatei);
    if (!text || text->isEmpty())
        return;
    // The file holds the body; the reader expects the stamped form.
    SetZeitsteuerung(ZeitTextSekunden(jetzt.time()) % u'|' % *text, true, false);
}

bool TZeitsteuerung::IsZeitsteuerung(bool StopS, bool SchonIcmpS) {
    return ::IsZeitsteuerung(StopS, SchonIcmpS, FZeitsteuerung, FProgStartDateTime, Jetzt());
}

std::optional<int> TZeitsteuerung::AusfuehrungMerken() {
    FProgStartDateTime = Jetzt();
    if (FZeitsteuerung.Aktion == TZeitsteuerungAktion::akKeine)
        return std::nullopt;
    return BefehlNr(FZeitsteuerung.Aktion);
}
