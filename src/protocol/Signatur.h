#pragma once
// The optional network key. A computer with a key signs every power command and schedule
// write it sends: the datagram D becomes D|T|N|H, with T the sender's time in whole seconds
// since 1970 (UTC), N 16 hex digits of a random nonce and H the HMAC-SHA256 of "D|T|N" with
// the key, as 64 lower-case hex digits. Peers without a key read T, N and H as extra fields
// and ignore them.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <deque>
#include <optional>

namespace Signatur {

constexpr qsizetype SchluesselBytes = 32;
constexpr qint64 ZeitToleranzS = 300;     // how far the sender's clock may be off
constexpr qint64 NonceGedaechtnisS = 600; // how long a used nonce is refused

// The key a passphrase gives: PBKDF2-HMAC-SHA256 over its UTF-8 bytes, salt
// "Veltrano-Netzwerkschluessel", 100 000 rounds, 32 bytes. Takes a noticeable moment.
QByteArray SchluesselAusPassphrase(const QString& passphrase);

// 16 lower-case hex digits from the system's cryptographic random source.
QString NeueNonce();

// D|T|N|H for the datagram d.
QString Signieren(const QString& d, const QByteArray& schluessel, qint64 zeit, const QString& nonce);

struct TErgebnis {
    enum TArt { Gueltig, KeineSignatur, FalscheSignatur, ZeitAbweichend, Wiederholt } Art = KeineSignatur;
    qint64 AbweichungS = 0; // ZeitAbweichend: how many seconds apart the clocks are
    QString Datagramm;      // Gueltig: the datagram without its signature
};

// The log's words for a refusal: "keine Signatur", "falsche Signatur", "Zeit um N s
// abweichend", "wiederholt"; empty for a valid one.
QString Grund(const TErgebnis& ergebnis);

// Checks signed datagrams and remembers their nonces, so that a recorded command cannot be
// sent again while its time is still accepted.
class TPruefer {
public:
    // Well-formed T, N and H at the end, H right for the key, T within ZeitToleranzS of
    // jetzt, N not seen in the last NonceGedaechtnisS seconds; a valid one's N is remembered.
    TErgebnis Pruefen(const QString& text, const QByteArray& schluessel, qint64 jetzt);

    // Enough for far more signed commands than a network sends in ten minutes; only a holder
    // of the key can fill it, and then the oldest go first.
    static constexpr qsizetype MaxNonces = 16384;

private:
    QHash<quint64, qint64> FGesehen;               // nonce, when it was accepted
    std::deque<std::pair<qint64, quint64>> FReihe; // the same, oldest first
};

} // namespace Signatur
