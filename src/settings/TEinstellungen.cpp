#include "settings/TEinstellungen.h"

#include "common/ResConst.h"
#include "common/Namen.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <QVariant>
#include <limits>
#include <optional>

namespace {

constexpr int HintergrundAnzahl = 19;
// The largest size the system font dialog offers; beyond it no window fits any screen.
constexpr int GroessteSchrift = 1638;

// A 32-bit value as the registry held it: signed or unsigned text, or "0x" hexadecimal
// for hand-edited files. Anything else counts as a value of the wrong type.
std::optional<qint64> Ganzzahl(const QSettings& s, const QString& name) {
    const QVariant v = s.value(name);
    if (!v.isValid() || v.typeId() == QMetaType::QStringList)
        return std::nullopt;
    bool okS = false;
    qint64 z = 0;
    if (v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QByteArray) {
        const QString text = v.toString().trimmed();
        z = text.toLongLong(&okS, 10);
        if (!okS && (text.startsWith(QLatin1String("0x")) || text.startsWith(QLatin1String("0X"))))
            z = text.mid(2).toLongLong(&okS, 16);
    } else {
        z = v.toLongLong(&okS);
    }
    if (!okS || z < std::numeric_limits<qint32>::min() || z > qint64(std::numeric_limits<quint32>::max()))
        return std::nullopt;
    return z;
}

// The registry reads a DWORD as a signed 32-bit integer.
int AlsInteger(qint64 z) {
    return int(qint32(quint32(z)));
}

std::optional<QString> Text(const QSettings& s, const QString& name) {
    const QVariant v = s.value(name);
    if (!v.isValid())
        return std::nullopt;
    // An unquoted comma in a hand-edited file turns the text into a list.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QStringLiteral(", "));
    if (!v.canConvert<QString>())
        return std::nullopt;
    return v.toString();
}

// The registry's "open with creation allowed": a missing store is created, empty.
bool OeffnenOderAnlegen(const QString& datei) {
    const QFileInfo info(datei);
    if (info.exists())
        return info.isFile() && info.isReadable();
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    QFile neu(datei);
    return neu.open(QIODevice::WriteOnly | QIODevice::NewOnly);
}

} // namespace

TEinstellungen::TEinstellungen(const QString& datei) : FDatei(datei) {}

bool TEinstellungen::Laden(TEinstellungsWerte& werte, const QString& anmeldeName) const {
    namespace N = EinstellungsNamen;
    if (!OeffnenOderAnlegen(FDatei))
        return false;
    const QSettings s(FDatei, QSettings::IniFormat);
    if (s.status() != QSettings::NoError)
        return false;

    TEinstellungsWerte neu;
    // An empty name or one with "|" would shift the fields of every presence datagram.
    const QString name = NameBereinigen(Text(s, N::MeinName).value_or(QString()));
    neu.EigenerName = name.isEmpty() ? anmeldeName : name;

    const QString schriftName = Text(s, N::FontName).value_or(QString()).trimmed();
    neu.Schrift.Name = schriftName.isEmpty() ? QStringLiteral("Arial") : schriftName;

    const std::optional<qint64> groesse = Ganzzahl(s, N::FontSize);
    const int punkte = groesse ? AlsInteger(*groesse) : 12;
    neu.Schrift.Groesse = punkte >= 1 && punkte <= GroessteSchrift ? punkte : 12;

    if (const std::optional<qint64> farbe = Ganzzahl(s, N::FontColor))
        neu.Schrift.Farbe = quint32(*farbe);

    if (const std::optional<qint64> satz = Ganzzahl(s, N::FontCharSet))
        neu.Schrift.Zeichensatz = int(quint32(*satz) & 0xFF);

    const std::optional<qint64> stil = Ganzzahl(s, N::FontStyle);
    const int stilWert = stil ? AlsInteger(*stil) : -1;
    neu.Schrift.Stil =
        stilWert == -1 ? 0 : stilWert & (StilKursiv | StilFett | StilUnterstrichen | StilDurchgestrichen);

    if (const std::optional<qint64> nr = Ganzzahl(s, N::HintColor)) {
        const int wert = AlsInteger(*nr);
        neu.HintergrundNr = wert >= 0 && wert < HintergrundAnzahl ? wert : 0;
    } else {
        neu.HintergrundNr = 1;
    }

    werte = neu;
    return true;
}

bool TEinstellungen::Speichern(const TEinstellungsWerte& werte) const {
    namespace N = EinstellungsNamen;
    if (!QDir().mkpath(QFileInfo(FDatei).absolutePath()))
        return false;
    QSettings s(FDatei, QSettings::IniFormat);
    s.setValue(N::MeinName, werte.EigenerName);
    s.setValue(N::HintColor, werte.HintergrundNr);
    s.setValue(N::FontName, werte.Schrift.Name);
    s.setValue(N::FontSize, werte.Schrift.Groesse);
    s.setValue(N::FontColor, uint(werte.Schrift.Farbe));
    s.setValue(N::FontCharSet, werte.Schrift.Zeichensatz & 0xFF);
    s.setValue(N::FontStyle, werte.Schrift.Stil);
    s.sync();
    return s.status() == QSettings::NoError;
}
