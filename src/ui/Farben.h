#pragma once
// The program font and the 19 background colours for text areas.

#include <QColor>
#include <QFont>
#include <QString>

constexpr int HintergrundAnzahl = 19;
constexpr int HintergrundVorgabe = 1; // "Weiß"

QString HintergrundName(int nr);
// Colour of entry nr; out of range gives entry 0.
QColor HintergrundFarbe(int nr);

// Windows colour value: 0x00BBGGRR, or 0xFF000000 + a system colour number.
constexpr quint32 FarbeFensterText = 0xFF000008;

struct TProgrammSchrift {
    QFont Font;
    quint32 FarbWert = FarbeFensterText;
    int Zeichensatz = 0;

    TProgrammSchrift();
    QColor Farbe() const;
};

QColor FarbeAusWert(quint32 wert);
quint32 WertAusFarbe(const QColor& farbe);
