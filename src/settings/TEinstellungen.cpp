#include "settings/TEinstellungen.h"

#include "common/Namen.h"
#include "common/ResConst.h"
#include "platform/Dateien.h"
#include "platform/TDateien.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringDecoder>
#include <QStringList>
#include <QTemporaryFile>
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

// A damaged line as the message quotes it: short, without control characters.
QString ZeileFuerMeldung(const QByteArray& zeile) {
    QString text = QString::fromUtf8(zeile.trimmed());
    for (QChar& c : text)
        if (c.unicode() < 32 || c.unicode() == 0x7F)
            c = u'?';
    if (text.size() > 40)
        text = text.left(39) + u'…';
    return text;
}

// A file split into what QSettings can read and the lines it would misread or drop: a line
// that is neither blank, a comment, a group header with its "]" nor "name=value", or that is
// no valid UTF-8. A damaged group header would move every value after it out of the group the
// program reads.
struct TIniPruefung {
    QByteArray Gesund;
    QStringList Schaeden; // "Zeile 4: „[kaputt“"
};

bool ZeileGesund(const QByteArray& zeile) {
    if (zeile.contains('\0'))
        return false;
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    (void)QString(utf8(zeile));
    if (utf8.hasError())
        return false;
    const QByteArray t = zeile.trimmed();
    if (t.isEmpty() || t.startsWith(';') || t.startsWith('#'))
        return true;
    if (t.startsWith('['))
        return t.contains(']');
    const qsizetype gleich = t.indexOf('=');
    return gleich > 0 && !t.left(gleich).trimmed().isEmpty();
}

TIniPruefung IniPruefen(const QByteArray& daten) {
    TIniPruefung p;
    const QList<QByteArray> zeilen = daten.split('\n');
    for (qsizetype i = 0; i < zeilen.size(); ++i) {
        const qsizetype erste = i;
        QByteArray logisch = zeilen[i];
        QByteArray roh = zeilen[i];
        // A line ending in an odd number of backslashes goes on in the next one.
        auto fortgesetzt = [](QByteArray z) {
            if (z.endsWith('\r'))
                z.chop(1);
            qsizetype n = 0;
            while (n < z.size() && z[z.size() - 1 - n] == '\\')
                ++n;
            return n % 2 == 1;
        };
        while (fortgesetzt(logisch) && i + 1 < zeilen.size()) {
            ++i;
            logisch += zeilen[i];
            roh += '\n' + zeilen[i];
        }
        if (i + 1 == zeilen.size() && roh.isEmpty())
            break; // after the last line break
        if (ZeileGesund(logisch)) {
            p.Gesund += roh + '\n';
        } else {
            p.Schaeden << QStringLiteral("Zeile %1: „%2“").arg(erste + 1).arg(ZeileFuerMeldung(logisch));
        }
    }
    return p;
}

// Runs arbeit on the settings file's bytes through QSettings, which reads and writes only
// files: a temporary one, so the user's file is never opened by anything that could block on
// it or write it in place. The bytes afterwards (after writing) or nothing when the temporary
// file could not be used.
std::optional<QByteArray> MitQSettings(const QByteArray& daten, const std::function<void(QSettings&)>& arbeit,
                                       QSettings::Status* status = nullptr) {
    QTemporaryFile datei(QDir::tempPath() + QStringLiteral("/veltrano-einstellungen-XXXXXX.conf"));
    if (!datei.open() || datei.write(daten) != daten.size() || !datei.flush())
        return std::nullopt;
    const QString pfad = datei.fileName();
    {
        QSettings s(pfad, QSettings::IniFormat);
        arbeit(s);
        s.sync();
        if (status)
            *status = s.status();
    }
    QFile danach(pfad);
    if (!danach.open(QIODevice::ReadOnly))
        return std::nullopt;
    return danach.readAll();
}

// The seven values; a value that is there but cannot be read as its type yields its default
// and is listed in schaeden.
TEinstellungsWerte WerteLesen(const QSettings& s, const QString& anmeldeName, QStringList& schaeden) {
    namespace N = EinstellungsNamen;
    auto gelesen = [&](const QString& name, bool okS) {
        if (!okS && s.contains(name))
            schaeden << QStringLiteral("Wert „%1“").arg(name);
    };
    TEinstellungsWerte w;
    const std::optional<QString> meinName = Text(s, N::MeinName);
    gelesen(N::MeinName, meinName.has_value());
    // An empty name or one with "|" would shift the fields of every presence datagram.
    const QString name = NameBereinigen(meinName.value_or(QString()));
    w.EigenerName = name.isEmpty() ? anmeldeName : name;

    const std::optional<QString> schrift = Text(s, N::FontName);
    gelesen(N::FontName, schrift.has_value());
    const QString schriftName = schrift.value_or(QString()).trimmed();
    w.Schrift.Name = schriftName.isEmpty() ? QStringLiteral("Arial") : schriftName;

    const std::optional<qint64> groesse = Ganzzahl(s, N::FontSize);
    gelesen(N::FontSize, groesse.has_value());
    const int punkte = groesse ? AlsInteger(*groesse) : 12;
    w.Schrift.Groesse = punkte >= 1 && punkte <= GroessteSchrift ? punkte : 12;

    const std::optional<qint64> farbe = Ganzzahl(s, N::FontColor);
    gelesen(N::FontColor, farbe.has_value());
    if (farbe)
        w.Schrift.Farbe = quint32(*farbe);

    const std::optional<qint64> satz = Ganzzahl(s, N::FontCharSet);
    gelesen(N::FontCharSet, satz.has_value());
    if (satz)
        w.Schrift.Zeichensatz = int(quint32(*satz) & 0xFF);

    const std::optional<qint64> stil = Ganzzahl(s, N::FontStyle);
    gelesen(N::FontStyle, stil.has_value());
    const int stilWert = stil ? AlsInteger(*stil) : -1;
    w.Schrift.Stil =
        stilWert == -1 ? 0 : stilWert & (StilKursiv | StilFett | StilUnterstrichen | StilDurchgestrichen);

    const std::optional<qint64> nr = Ganzzahl(s, N::HintColor);
    gelesen(N::HintColor, nr.has_value());
    if (nr) {
        const int wert = AlsInteger(*nr);
        w.HintergrundNr = wert >= 0 && wert < HintergrundAnzahl ? wert : 0;
    } else {
        w.HintergrundNr = 1;
    }
    return w;
}

} // namespace

TEinstellungen::TEinstellungen(const QString& datei, TDateien& dateien) : FDatei(datei), FDateien(dateien) {}

void TEinstellungen::Meldung(const QString& text) const {
    if (Melden)
        Melden(text);
}

bool TEinstellungen::Aufbewahren(const QByteArray& daten, const QString& schaden, bool beimLadenS) {
    if (!FAufbewahrt.isNull() && daten == FAufbewahrt)
        return true;
    QString grund;
    const std::optional<QString> kopie = KopieAufbewahren(FDateien, FDatei, daten, &grund);
    const QString pfad = PfadFuerMeldung(FDatei);
    if (!kopie) {
        FSperrgrund = grund;
        Meldung(
            QStringLiteral("Die Einstellungen „%1“ sind beschädigt (%2), und es konnte keine Kopie angelegt "
                           "werden (%3). Sie werden bis zum nächsten Programmstart nicht überschrieben.")
                .arg(pfad, schaden, grund));
        return false;
    }
    FAufbewahrt = daten;
    Meldung((beimLadenS
                 ? QStringLiteral("Die Einstellungen „%1“ waren beschädigt (%2). Die lesbaren Werte wurden "
                                  "übernommen, die übrigen auf ihre Vorgaben gesetzt; die ursprüngliche "
                                  "Datei wurde als „%3“ aufbewahrt.")
                 : QStringLiteral("Die Einstellungen „%1“ waren beschädigt (%2). Die ursprüngliche Datei "
                                  "wurde als „%3“ aufbewahrt, bevor sie neu geschrieben wurde."))
                .arg(pfad, schaden, PfadFuerMeldung(*kopie)));
    return true;
}

void TEinstellungen::UnlesbarMelden(const QString& grund) {
    FSperrgrund = grund;
    Meldung(QStringLiteral("Die Einstellungen „%1“ konnten nicht gelesen werden (%2). Sie werden bis zum "
                           "nächsten Programmstart nicht überschrieben.")
                .arg(PfadFuerMeldung(FDatei), grund));
}

bool TEinstellungen::Laden(TEinstellungsWerte& werte, const QString& anmeldeName) {
    // Only a file read now decides whether it may be written.
    FSperrgrund.clear();
    const TDateien::TGelesen datei = FDateien.DateiLesen(FDatei, MaxEinstellungenGroesse);
    if (datei.Art == TDateien::TGelesen::TArt::Unlesbar) {
        UnlesbarMelden(datei.Grund);
        return false;
    }
    if (datei.Art == TDateien::TGelesen::TArt::Fehlt) {
        // The registry's "open with creation allowed": a missing store is created, empty.
        if (!QDir().mkpath(QFileInfo(FDatei).absolutePath()))
            return false;
        QFile neu(FDatei);
        if (!neu.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return false;
    }

    TIniPruefung pruefung = IniPruefen(datei.Daten);
    TEinstellungsWerte neu;
    QSettings::Status status = QSettings::NoError;
    const bool gelesenS =
        MitQSettings(
            pruefung.Gesund, [&](QSettings& s) { neu = WerteLesen(s, anmeldeName, pruefung.Schaeden); },
            &status)
            .has_value();
    if (!gelesenS)
        return false;
    if (status == QSettings::FormatError)
        pruefung.Schaeden << QStringLiteral("Aufbau der Datei");
    if (!pruefung.Schaeden.isEmpty()) {
        QStringList schaden = pruefung.Schaeden.mid(0, 3);
        if (pruefung.Schaeden.size() > 3)
            schaden << QStringLiteral("…");
        Aufbewahren(datei.Daten, schaden.join(QStringLiteral("; ")), true);
    }
    werte = neu;
    return true;
}

bool TEinstellungen::Speichern(const TEinstellungsWerte& werte) {
    namespace N = EinstellungsNamen;
    if (!FSperrgrund.isEmpty())
        return false;
    auto gescheitert = [this](const QString& grund) {
        FSpeicherFehler = grund;
        if (!FSpeicherFehlerGemeldetS) {
            FSpeicherFehlerGemeldetS = true;
            Meldung(QStringLiteral("Die Einstellungen konnten nicht in „%1“ gespeichert werden (%2).")
                        .arg(PfadFuerMeldung(FDatei), grund));
        }
        return false;
    };
    // The file as it is now: its other lines stay, and a damaged one is kept aside first.
    const TDateien::TGelesen datei = FDateien.DateiLesen(FDatei, MaxEinstellungenGroesse);
    if (datei.Art == TDateien::TGelesen::TArt::Unlesbar) {
        UnlesbarMelden(datei.Grund);
        return false;
    }
    const TIniPruefung pruefung = IniPruefen(datei.Daten);
    if (!pruefung.Schaeden.isEmpty() &&
        !Aufbewahren(datei.Daten, pruefung.Schaeden.mid(0, 3).join(QStringLiteral("; ")), false))
        return false;

    const std::optional<QByteArray> neu = MitQSettings(pruefung.Gesund, [&werte](QSettings& s) {
        s.setValue(N::MeinName, werte.EigenerName);
        s.setValue(N::HintColor, werte.HintergrundNr);
        s.setValue(N::FontName, werte.Schrift.Name);
        s.setValue(N::FontSize, werte.Schrift.Groesse);
        s.setValue(N::FontColor, uint(werte.Schrift.Farbe));
        s.setValue(N::FontCharSet, werte.Schrift.Zeichensatz & 0xFF);
        s.setValue(N::FontStyle, werte.Schrift.Stil);
    });
    if (!neu)
        return gescheitert(
            QStringLiteral("keine temporäre Datei in „%1“").arg(PfadFuerMeldung(QDir::tempPath())));
    if (!QDir().mkpath(QFileInfo(FDatei).absolutePath()))
        return gescheitert(QStringLiteral("der Ordner kann nicht angelegt werden"));
    QString grund;
    if (!DateiErsetzen(FDateien, FDatei, *neu, false, &grund))
        return gescheitert(grund);
    FSpeicherFehler.clear();
    return true;
}

QString TEinstellungen::SpeicherFehlerText() const {
    if (FSpeicherFehler.isEmpty())
        return {};
    return QStringLiteral("Die Einstellungen konnten nicht in „%1“ gespeichert werden (%2).")
        .arg(PfadFuerMeldung(FDatei), FSpeicherFehler);
}
