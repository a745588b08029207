#include "schedule/TZeitsteuerung.h"

#include "common/DatumZeit.h"
#include "platform/Dateien.h"
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
        // The user's file that could not be read stays as it is.
        if (!FSperrgrund.isEmpty())
            return;
        QString grund;
        if (SchreibeZeitsteuerungDatei(FDateien, FDatei, GetZeitsteuerung(false, false), &grund)) {
            FSpeicherFehler.clear();
            return;
        }
        FSpeicherFehler = grund;
        if (!FSpeicherFehlerGemeldetS && Melden) {
            FSpeicherFehlerGemeldetS = true;
            Melden(QStringLiteral("Die Zeitsteuerung konnte nicht in „%1“ gespeichert werden (%2). Die "
                                  "bisherige Datei bleibt unverändert.")
                       .arg(PfadFuerMeldung(FDatei), grund));
        }
        return;
    }
    const QDateTime jetzt = Jetzt();
    FZeitsteuerung = TZeitsteuerungRec{TZeitsteuerungAktion::akKeine, false, jetzt.date(), jetzt.time()};
    QString grund;
    const std::optional<QString> text = LeseZeitsteuerungDatei(FDateien, FDatei, &grund);
    FSperrgrund = grund;
    if (!grund.isEmpty() && Melden)
        Melden(QStringLiteral("Die Zeitsteuerung „%1“ konnte nicht gelesen werden (%2). Sie wird bis zum "
                              "nächsten Programmstart nicht überschrieben.")
                   .arg(PfadFuerMeldung(FDatei), grund));
    if (!text || text->isEmpty())
        return;
    // The file holds the body; the reader expects the stamped form.
    SetZeitsteuerung(ZeitTextSekunden(jetzt.time()) % u'|' % *text, true, false);
}

QString TZeitsteuerung::SpeicherFehlerText() const {
    if (FSpeicherFehler.isEmpty())
        return {};
    return QStringLiteral("Die Zeitsteuerung konnte nicht in „%1“ gespeichert werden (%2).")
        .arg(PfadFuerMeldung(FDatei), FSpeicherFehler);
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
