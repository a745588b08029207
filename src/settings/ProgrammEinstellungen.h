#pragma once
// The settings as the main window holds them (a font object, not plain values), and the
// two directions of RegistryLadenSpeichern on them.

#include "settings/TEinstellungen.h"
#include "ui/Farben.h"

struct TProgrammEinstellungen {
    QString EigenerName;
    TProgrammSchrift Schrift;
    int HintergrundNr = HintergrundVorgabe;
};

// Style bits of "FontStyle" (1 italic, 2 bold, 4 underline, 8 strike-out).
int StilBits(const QFont& font);
void SetzeStilBits(QFont& font, int bits);

TSchriftWerte SchriftWerte(const TProgrammSchrift& schrift);
// Typeface, size, style, colour and character set from the values; other font properties
// (weights between normal and bold, fractional sizes) do not survive a restart anyway.
void SchriftSetzen(TProgrammSchrift& schrift, const TSchriftWerte& werte);

// Load: fills e with every stored value or its default (the log-on name for the own name)
// and returns true; anmeldeName is the log-on name; false when the store cannot be opened, e unchanged. The
// caller then applies e.HintergrundNr through its SetHintergrundNr, which also applies the font.
bool RegistryLaden(TProgrammEinstellungen& e, TEinstellungen& speicher, const QString& anmeldeName);
// Save: writes all seven values; false when they could not be written.
bool RegistrySpeichern(const TProgrammEinstellungen& e, TEinstellungen& speicher);
