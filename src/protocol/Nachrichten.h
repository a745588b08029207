#pragma once
// The one place where every datagram of the peer protocol is built and first read. Text
// datagrams are UTF-8: the tag "VTR1", then the fields, each after a "|".

#include "common/TFelder.h"
#include "hosts/THostListRec.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace Protokoll {

constexpr quint16 BefehlPort = 17170; // commands, schedule exchange, Wake-on-LAN
constexpr quint16 SenderPort = 17171; // presence
constexpr qint64 MaxDatagramm = 8192; // a receive reads at most this much of a datagram
// A presence field is stored with at most this many characters: names of 8 KB from a flood
// would otherwise fill the list, the view and the file.
constexpr int MaxFeld = 255;

inline const QString Tag = QStringLiteral("VTR1");
inline const QString Einschlafen = QStringLiteral("einschlafen");
inline const QString Herunterfahren = QStringLiteral("herunterfahren");
inline const QString Neustart = QStringLiteral("neustart");
inline const QString ZsAnfordern = QStringLiteral("zsanfordern");
inline const QString ZsAntwort = QStringLiteral("zsantwort");
inline const QString ZsSenden = QStringLiteral("zssenden");
inline const QString ZsGesendet = QStringLiteral("zsgesendet");

QString Praesenz(bool onlineS, const QString& pc, const QString& user, const QString& mac);
// "VTR1|<wort>", for power commands and the schedule words without payload.
QString Befehl(const QString& wort);
// "VTR1|<wort>|<schedule text>" for "zsantwort" and "zssenden".
QString MitZeitsteuerung(const QString& wort, const QString& zeitsteuerungText);

QByteArray Kodieren(const QString& text);
// Invalid UTF-8 becomes replacement characters, a byte-order mark is kept as a character;
// the datagram is then judged like any other.
QString Dekodieren(const QByteArray& daten);

// Field 1, trimmed like every field, is exactly the tag (case-sensitive).
bool TagPasst(const TFelder& felder);

// What a presence says about its sender: field 2 the running flag ("0" when the instance
// leaves), 3 the computer name, 4 the user, 5 the MAC, 6 the broadcast flag.
struct TPraesenzRec {
    bool SenderS = false;
    QString PC;
    QString User;
    QString MAC;
    bool BroadcastS = false;
};

// Any text with the tag reads as a presence: fields are trimmed and cut to MaxFeld
// characters, a missing one is empty, and a flag is set only by exactly "1". Nothing
// without the tag.
std::optional<TPraesenzRec> LesePraesenz(const QString& text);

// The host list entry a presence from absenderIp makes: online, not yet to be repainted,
// stamped with the store's tick.
THostListRec PraesenzEintrag(const TPraesenzRec& praesenz, const QString& absenderIp, quint32 tick);

// A field as stored: trimmed, cut to at most n characters (never inside a surrogate pair),
// trimmed again.
QString Kuerzen(QStringView feld, int n = MaxFeld);

// What every receiver does first: decode, and drop the datagram while the program stops or
// when it lacks the tag. The text, or nothing.
std::optional<QString> Annehmen(const QByteArray& daten, bool stopS);

} // namespace Protokoll
