#pragma once
// The per-user settings: the own user name, the program font and the background entry.
// Stored with QSettings under the seven value names the registry key had, so a stored
// file stays readable by every version.

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <functional>

class TDateien;

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

// Only this much of a settings file is read; seven values take a few hundred bytes.
constexpr qint64 MaxEinstellungenGroesse = 1024 * 1024;

class TEinstellungen {
public:
    // The store in the given file (the user's own is the run-time value EinstellungenDatei),
    // read and written through dateien. Keep one for the whole run: it remembers what it
    // found in the file.
    TEinstellungen(const QString& datei, TDateien& dateien);

    const QString& Datei() const { return FDatei; }

    // Loads every value; a missing one, or one that cannot be read as its type, yields its
    // default, and so does a value behind a damaged line; the others are kept. A file not
    // read whole is first kept aside as "<datei>.defekt". A missing store is created empty.
    // False when the store cannot be read (then it is not written over this run) or
    // created: then werte keeps what it had. anmeldeName is the default of "MeinName".
    bool Laden(TEinstellungsWerte& werte, const QString& anmeldeName);
    // Writes all seven values, keeping the file's other lines; false when the store could not
    // be written, or may not be.
    bool Speichern(const TEinstellungsWerte& werte);

    // Why the file is not written this run; empty while saving is allowed.
    const QString& Sperrgrund() const { return FSperrgrund; }
    // For the close: the message when the last save failed; empty otherwise.
    QString SpeicherFehlerText() const;
    // Tells the user about the file: each problem once per run.
    std::function<void(const QString&)> Melden;

private:
    void Meldung(const QString& text) const;
    // A file that could not be read: locked for this run, and said once.
    void UnlesbarMelden(const QString& grund);
    // Keeps a damaged file's bytes aside once; false (and the store locked) when that fails.
    bool Aufbewahren(const QByteArray& daten, const QString& schaden, bool beimLadenS);

    QString FDatei;
    TDateien& FDateien;
    QString FSperrgrund;
    QString FSpeicherFehler;
    bool FSpeicherFehlerGemeldetS = false;
    QByteArray FAufbewahrt; // the damaged file's bytes already kept aside
};
