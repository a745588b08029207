#pragma once
// The per-user settings: the own user name, the program font and the background entry.
// Stored with QSettings under the seven value names the registry key had, so a stored
// file stays readable by every version.

#include <QString>
#include <QtGlobal>

// Value names, as the registry key "\Software\Veltrano" has them.
namespace EinstellungsNamen {
inline const QString MeinName = QStringLiteral("MeinName");
inline const QString HintColor = QStringLiteral("HintColor");
inline const QString FontName = QStringLiteral("FontName");
inline const QString FontSize = QStringLiteral("FontSize");
inline const QString FontColor = QStringLiteral("FontColor");
inline const QString FontCharSet = QStringLiteral("FontCharSet");
inline const QString FontStyle = QStringLiteral("FontStyle");
} // namespace EinstellungsNamen

// Style bits of "FontStyle": italic is 1 and bold 2, not the other way round.
enum TStilBit : int { StilKursiv = 1, StilFett = 2, StilUnterstrichen = 4, StilDurchgestrichen = 8 };

// The program font as plain values, so this store needs no GUI.
struct TSchriftWerte {
    QString Name = QStringLiteral("Arial");
    int Groesse = 12;           // points
    quint32 Farbe = 0xFF000008; // 0x00BBGGRR, or 0xFF000000 + system colour number
    int Zeichensatz = 0;        // 0 to 255
    int Stil = 0;               // TStilBit set
    bool operator==(const TSchriftWerte&) const = default;
};

struct TEinstellungsWerte {
    QString EigenerName;
    TSchriftWerte Schrift;
    int HintergrundNr = 1;
    bool operator==(const TEinstellungsWerte&) const = default;
};

class TEinstellungen {
public:
    // The store in the given file (the user's own is the run-time value EinstellungenDatei).
    explicit TEinstellungen(const QString& datei);

    const QString& Datei() const { return FDatei; }

    // Loads every value; a missing one, or one that cannot be read as its type, yields its
    // default. A missing store is created empty. False when the store cannot be opened or
    // created: then werte keeps what it had. anmeldeName is the default of "MeinName".
    bool Laden(TEinstellungsWerte& werte, const QString& anmeldeName) const;
    // Writes all seven values; false when the store could not be written.
    bool Speichern(const TEinstellungsWerte& werte) const;

private:
    QString FDatei;
};
