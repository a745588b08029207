#include "schedule/TZeitEditor.h"

#include "common/DatumZeit.h"

TZeitEditor::TZeitEditor(TPiep piep, TUhr uhr) : TTeilEditor(1, 2, std::move(piep), std::move(uhr)) {
    FMarkiereNr = 1;
    SetZeit(Jetzt().time());
}

QString TZeitEditor::FeldText(const QTime& zeit) {
    return ZeitText(zeit) % u' ';
}

TTeilEditor::TTeil TZeitEditor::Teil(int nr) const {
    return nr <= 1 ? TTeil{0, 2} : TTeil{3, 2};
}

void TZeitEditor::CheckEingabe() {
    TeilAuswaehlen();
    QString ergebnis;
    if (const std::optional<int> zahl = AuswahlZahl())
        ergebnis =
            QStringLiteral("%1").arg(std::min(*zahl, FMarkiereNr == 1 ? 23 : 59), 2, 10, QLatin1Char('0'));
    else
        ergebnis = Gemerkt;
    const TTeil t = Teil(FMarkiereNr);
    if (ergebnis.size() != t.Laenge)
        ergebnis = FeldText(FZeit).mid(t.Start, t.Laenge); // keeps the pattern whatever was remembered
    TeilErsetzen(ergebnis);
}

QTime TZeitEditor::Zeit() {
    CheckEingabe();
    if (const std::optional<QTime> z = LeseZeit(OhnePlatzhalter(FText)))
        return QTime(z->hour(), z->minute());
    return MinZeit();
}

void TZeitEditor::SetZeit(const QTime& zeit) {
    QTime z = zeit.isValid() ? zeit : MinZeit();
    if (z < MinZeit())
        z = MinZeit();
    if (z > MaxZeit())
        z = MaxZeit();
    FZeit = z;
    FText = FeldText(FZeit);
    Markiere(true);
}

void TZeitEditor::TeilVoll(bool getipptS) {
    if (FMarkiereNr == 2 && !getipptS)
        Piep();
    SetMarkiereNr(FMarkiereNr + 1);
}

void TZeitEditor::Schritt(bool aufS, int n) {
    if (NurLesenS) {
        Piep();
        return;
    }
    CheckEingabe();
    const QTime z = Zeit();
    const bool stundenS = FMarkiereNr == 1;
    const int hoechst = stundenS ? 23 : 59;
    int wert = (stundenS ? z.hour() : z.minute()) + (aufS ? n : -n);
    // Past either end the value jumps to the other end; it does not wrap by the remainder.
    if (wert < 0)
        wert = hoechst;
    else if (wert > hoechst)
        wert = 0;
    SetZeit(stundenS ? QTime(wert, z.minute()) : QTime(z.hour(), wert));
}
