#include "ui/Farben.h"

#include <QApplication>
#include <QPalette>

namespace {
struct TEintrag {
    const char* Name;
    int R, G, B;
};
constexpr TEintrag Tabelle[HintergrundAnzahl] = {
    {"Schwarz", 0, 0, 0},          {"Weiß", 255, 255, 255},     {"Gelb", 255, 255, 0},
    {"Blau", 0, 0, 255},           {"Marineblau", 0, 0, 128},   {"Himmelblau", 166, 202, 240},
    {"Blaugrün", 0, 128, 128},     {"Grün", 0, 128, 0},         {"Minzgrün", 192, 220, 192},
    {"Gelbgrün", 0, 255, 0},       {"Olivgrün", 128, 128, 0},   {"Grau", 128, 128, 128},
    {"Dunkelgrau", 128, 128, 128}, {"Hellgrau", 192, 192, 192}, {"Rot", 255, 0, 0},
    {"Purpur", 128, 0, 128},       {"Lila", 255, 0, 255},       {"Silber", 192, 192, 192},
    {"Braun", 128, 0, 0}};

int Gueltig(int nr) {
    return nr >= 0 && nr < HintergrundAnzahl ? nr : 0;
}
} // namespace

QString HintergrundName(int nr) {
    return QString::fromUtf8(Tabelle[Gueltig(nr)].Name);
}

QColor HintergrundFarbe(int nr) {
    const TEintrag& e = Tabelle[Gueltig(nr)];
    return QColor(e.R, e.G, e.B);
}

TProgrammSchrift::TProgrammSchrift() : Font(QStringLiteral("Arial")) {
    Font.setPointSize(12);
}

QColor TProgrammSchrift::Farbe() const {
    return FarbeAusWert(FarbWert);
}

QColor FarbeAusWert(quint32 wert) {
    if ((wert & 0xFF000000u) == 0xFF000000u)
        // System colours follow the desktop's palette; all of them stand for text here.
        return QApplication::palette().color(QPalette::WindowText);
    return QColor(int(wert & 0xFF), int((wert >> 8) & 0xFF), int((wert >> 16) & 0xFF));
}

quint32 WertAusFarbe(const QColor& farbe) {
    return quint32(farbe.red()) | (quint32(farbe.green()) << 8) | (quint32(farbe.blue()) << 16);
}
