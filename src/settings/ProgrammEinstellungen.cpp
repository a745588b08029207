#include "settings/ProgrammEinstellungen.h"

#include <cmath>

int StilBits(const QFont& font) {
    return (font.italic() ? StilKursiv : 0) | (font.bold() ? StilFett : 0) |
           (font.underline() ? StilUnterstrichen : 0) | (font.strikeOut() ? StilDurchgestrichen : 0);
}

void SetzeStilBits(QFont& font, int bits) {
    font.setItalic(bits & StilKursiv);
    font.setBold(bits & StilFett);
    font.setUnderline(bits & StilUnterstrichen);
    font.setStrikeOut(bits & StilDurchgestrichen);
}

TSchriftWerte SchriftWerte(const TProgrammSchrift& schrift) {
    TSchriftWerte w;
    w.Name = schrift.Font.family();
    w.Groesse =
        schrift.Font.pointSize() > 0 ? schrift.Font.pointSize() : int(std::lround(schrift.Font.pointSizeF()));
    w.Farbe = schrift.FarbWert;
    w.Zeichensatz = schrift.Zeichensatz & 0xFF;
    w.Stil = StilBits(schrift.Font);
    return w;
}

void SchriftSetzen(TProgrammSchrift& schrift, const TSchriftWerte& werte) {
    QFont f(werte.Name);
    f.setPointSize(werte.Groesse > 0 ? werte.Groesse : 12);
    SetzeStilBits(f, werte.Stil);
    schrift.Font = f;
    schrift.FarbWert = werte.Farbe;
    schrift.Zeichensatz = werte.Zeichensatz & 0xFF;
}

bool RegistryLaden(TProgrammEinstellungen& e, TEinstellungen& speicher, const QString& anmeldeName) {
    TEinstellungsWerte w;
    if (!speicher.Laden(w, anmeldeName))
        return false;
    e.EigenerName = w.EigenerName;
    SchriftSetzen(e.Schrift, w.Schrift);
    e.HintergrundNr = w.HintergrundNr;
    return true;
}

bool RegistrySpeichern(const TProgrammEinstellungen& e, TEinstellungen& speicher) {
    return speicher.Speichern({e.EigenerName, SchriftWerte(e.Schrift), e.HintergrundNr});
}
