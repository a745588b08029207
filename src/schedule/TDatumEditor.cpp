#include "schedule/TDatumEditor.h"

#include "common/DatumZeit.h"

namespace {
// Day used when the typed day does not exist in its month (February always 28).
int LetzterTag(int monat) {
    switch (monat) {
    case 1:
    case 3:
    case 5:
    case 7:
    case 8:
    case 10:
    case 12:
        return 31;
    case 2:
        return 28;
    default:
        return 30;
    }
}
} // namespace

TDatumEditor::TDatumEditor(TPiep piep, TUhr uhr) : TTeilEditor(0, 3, std::move(piep), std::move(uhr)) {
    const QDate heute = Jetzt().date();
    FMinDatum = heute;
    FMaxDatum = heute;
    FDatum = heute;
    FMarkiereNr = 1;
    SetDatum(heute);
}

QString TDatumEditor::TagNamenTeil(const QDate& datum) {
    QString name = KurzerTagName(datum).left(2);
    while (name.size() < 2)
        name.prepend(u' ');
    return name;
}

QString TDatumEditor::FeldText(const QDate& datum) {
    return TagNamenTeil(datum) % QStringLiteral(", ") % DatumText(datum) % u' ';
}

TTeilEditor::TTeil TDatumEditor::Teil(int nr) const {
    switch (nr) {
    case 0:
        return {0, 2};
    case 1:
        return {4, 2};
    case 2:
        return {7, 2};
    default:
        return {10, 4};
    }
}

int TDatumEditor::TeilAnStelle(int pos) const {
    if (pos <= 3)
        return 0;
    if (pos <= 6)
        return 1;
    if (pos <= 9)
        return 2;
    return 3;
}

QDate TDatumEditor::Begrenzt(const QDate& datum) const {
    if (!datum.isValid() || datum < FMinDatum)
        return FMinDatum;
    if (datum > FMaxDatum)
        return FMaxDatum;
    return datum;
}

void TDatumEditor::CheckEingabe() {
    if (FMarkiereNr == 0)
        return;
    TeilAuswaehlen();
    QString ergebnis;
    const std::optional<int> zahl = AuswahlZahl();
    if (zahl && *zahl != 0) {
        int wert = *zahl;
        if (FMarkiereNr == 3) {
            if (wert < FMinDatum.year())
                wert = FMinDatum.year();
            if (wert > FMaxDatum.year())
                wert = FMaxDatum.year();
            ergebnis = QString::number(wert);
            while (ergebnis.size() < 4)
                ergebnis.append(u'0');
        } else {
            wert = std::min(wert, FMarkiereNr == 1 ? 31 : 12);
            ergebnis = QStringLiteral("%1").arg(wert, 2, 10, QLatin1Char('0'));
        }
    } else {
        ergebnis = Gemerkt;
    }
    const TTeil t = Teil(FMarkiereNr);
    if (ergebnis.size() != t.Laenge)
        ergebnis = FeldText(FDatum).mid(t.Start, t.Laenge); // keeps the pattern whatever was remembered
    TeilErsetzen(ergebnis);

    // The day name follows the date, as far as the text is one.
    if (const std::optional<QDate> d = LeseDatum(FText.mid(4))) {
        const QString name = TagNamenTeil(*d);
        if (FText.left(2) != name)
            FText.replace(0, 2, name);
    }
}

QDate TDatumEditor::Datum() {
    CheckEingabe();
    const QString s = OhnePlatzhalter(QStringView(FText).mid(4));
    if (s.isEmpty())
        return FMinDatum;
    if (const std::optional<QDate> d = LeseDatum(s))
        return Begrenzt(*d);
    // A day the month does not have (31.04.): the month's last day.
    const std::optional<int> jahr = LeseZiffern(QStringView(s).mid(6, 4));
    const std::optional<int> monat = LeseZiffern(QStringView(s).mid(3, 2));
    if (jahr && monat) {
        const QDate d(*jahr, *monat, LetzterTag(*monat));
        if (d.isValid())
            return Begrenzt(d);
    }
    return FMinDatum;
}

void TDatumEditor::SetDatum(const QDate& datum) {
    FDatum = Begrenzt(datum);
    FText = FeldText(FDatum);
    Markiere(true);
}

void TDatumEditor::SetMinDatum(const QDate& datum) {
    if (!datum.isValid())
        return;
    const QDate aktuell = Datum();
    FMinDatum = datum;
    if (datum > aktuell)
        SetDatum(datum);
}

void TDatumEditor::SetMaxDatum(const QDate& datum) {
    if (!datum.isValid())
        return;
    const QDate aktuell = Datum();
    FMaxDatum = datum;
    if (datum < aktuell)
        SetDatum(datum);
}

void TDatumEditor::TeilVoll(bool getipptS) {
    if (FMarkiereNr != 3)
        SetMarkiereNr(FMarkiereNr + 1);
    else if (!getipptS)
        Piep();
}

void TDatumEditor::Schritt(bool aufS, int n) {
    if (NurLesenS) {
        Piep();
        return;
    }
    CheckEingabe();
    const QDate d = Datum();
    const int richtung = aufS ? 1 : -1;
    switch (FMarkiereNr) {
    case 0:
        SetDatum(d.addDays(qint64(richtung) * n));
        break;
    case 1: {
        // The day never leaves its month.
        const bool minMonatS = d.year() == FMinDatum.year() && d.month() == FMinDatum.month();
        const bool maxMonatS = d.year() == FMaxDatum.year() && d.month() == FMaxDatum.month();
        const int unten = minMonatS ? FMinDatum.day() : 1;
        const int oben = maxMonatS ? FMaxDatum.day() : d.daysInMonth();
        if (aufS ? d.day() >= oben : d.day() <= unten)
            return;
        SetDatum(d.addDays(richtung));
        break;
    }
    case 2: {
        const int unten = d.year() == FMinDatum.year() ? FMinDatum.month() : 1;
        const int oben = d.year() == FMaxDatum.year() ? FMaxDatum.month() : 12;
        if (aufS ? d.month() >= oben : d.month() <= unten)
            return;
        SetDatum(d.addMonths(richtung));
        break;
    }
    default:
        if (!aufS && d.year() == FMinDatum.year())
            SetDatum(FMinDatum);
        else if (aufS && d.year() == FMaxDatum.year())
            SetDatum(FMaxDatum);
        else
            SetDatum(d.addYears(richtung));
        break;
    }
}
