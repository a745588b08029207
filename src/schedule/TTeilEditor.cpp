#include "schedule/TTeilEditor.h"

#include "common/Zeichen.h"

#include <algorithm>

TTeilEditor::TTeilEditor(int minTeil, int maxTeil, TPiep piep, TUhr uhr)
    : FMinTeil(minTeil), FMaxTeil(maxTeil), FPiep(std::move(piep)), FUhr(std::move(uhr)) {
    FMarkiereNr = 1;
}

void TTeilEditor::Piep() const {
    if (FPiep)
        FPiep();
}

QDateTime TTeilEditor::Jetzt() const {
    const QDateTime jetzt = FUhr ? FUhr() : QDateTime();
    return jetzt.isValid() ? jetzt : QDateTime::currentDateTime();
}

void TTeilEditor::SetzeAuswahl(int start, int laenge) {
    const int n = int(FText.size());
    FSelStart = std::clamp(start, 0, n);
    FSelLaenge = std::clamp(laenge, 0, n - FSelStart);
}

void TTeilEditor::Markiere(bool MerkeS) {
    const TTeil t = Teil(FMarkiereNr);
    SetzeAuswahl(t.Start, t.Laenge);
    if (MerkeS)
        Gemerkt = SelText();
}

void TTeilEditor::SetMarkiereNr(int nr) {
    nr = std::clamp(nr, FMinTeil, FMaxTeil);
    if (nr == FMarkiereNr)
        return;
    CheckEingabe();
    FMarkiereNr = nr;
    Markiere(true);
}

void TTeilEditor::TeilAuswaehlen() {
    const TTeil t = Teil(FMarkiereNr);
    if (FSelStart != t.Start || FSelLaenge != t.Laenge)
        SetzeAuswahl(t.Start, t.Laenge);
}

void TTeilEditor::TeilErsetzen(const QString& neu) {
    const TTeil t = Teil(FMarkiereNr);
    if (neu.size() == t.Laenge && t.Start + t.Laenge <= FText.size())
        FText.replace(t.Start, t.Laenge, neu);
    SetzeAuswahl(t.Start, t.Laenge);
}

std::optional<int> TTeilEditor::AuswahlZahl() const {
    return LeseZiffern(OhnePlatzhalter(SelText()));
}

void TTeilEditor::Taste(TTaste taste) {
    switch (taste) {
    case TTaste::Links:
        SetMarkiereNr(FMarkiereNr - 1);
        break;
    case TTaste::Rechts:
        SetMarkiereNr(FMarkiereNr + 1);
        break;
    case TTaste::Pos1:
        SetMarkiereNr(FMinTeil);
        break;
    case TTaste::Ende:
        SetMarkiereNr(FMaxTeil);
        break;
    case TTaste::BildAuf:
        Schritt(true, Seitenschritt());
        break;
    case TTaste::BildAb:
        Schritt(false, Seitenschritt());
        break;
    case TTaste::Entf:
        if (NurLesenS)
            Piep();
        break;
    case TTaste::Auf:
        Schritt(true, 1);
        break;
    case TTaste::Ab:
        Schritt(false, 1);
        break;
    }
}

void TTeilEditor::Zeichen(QChar zeichen) {
    if (NurLesenS) {
        Piep();
        return;
    }
    if (!Eingebbar(FMarkiereNr))
        return;
    if (zeichen == u'\b') {
        const TTeil t = Teil(FMarkiereNr);
        SetzeAuswahl(t.Start, t.Laenge);
        TeilErsetzen(QString(t.Laenge, u'_'));
    } else if (zeichen >= u'0' && zeichen <= u'9') {
        Tippe(zeichen);
    }
}

void TTeilEditor::Tippe(QChar ziffer) {
    const TTeil t = Teil(FMarkiereNr);
    if (FSelLaenge > 0) {
        // Right after marking: the digit starts the part afresh.
        TeilErsetzen(ziffer + QString(t.Laenge - 1, u'_'));
        SetzeCaret(t.Start + 1);
        return;
    }
    bool getipptS = false;
    int p = Caret();
    if (p < FText.size() && FText[p] == u'_') {
        FText[p] = ziffer;
        SetzeCaret(++p);
        getipptS = true;
    }
    if (p < FText.size() && FText[p] == u'_')
        return; // room for more digits
    TeilVoll(getipptS);
}

void TTeilEditor::MausLoslassen(int caret, int selStart, int selLaenge) {
    const TTeil t = Teil(FMarkiereNr);
    if (selLaenge > 0 && (selStart != t.Start || selLaenge != t.Laenge))
        SetzeCaret(caret);
    else if (selLaenge > 0)
        SetzeAuswahl(selStart, selLaenge);
    else
        SetzeCaret(caret);
    SetMarkiereNr(TeilAnStelle(Caret()));
}

std::optional<int> LeseZiffern(QStringView text) {
    return Ziffernfolge(text, 9);
}

QString OhnePlatzhalter(QStringView text) {
    QString s;
    s.reserve(text.size());
    for (QChar c : text)
        if (c != u'_' && c != u' ')
            s.append(c);
    return s;
}
