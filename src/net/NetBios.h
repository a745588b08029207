#pragma once
// NetBIOS node status (RFC 1002): the request that asks a host for the names it has
// registered, and the reader of the answer. On Linux this stands in for the workstation
// user enumeration of Windows: the answer carries the computer name and, where a messenger
// service registered them, the names of the users logged on there.
//
// The answer comes from the network and is not trusted: every count and length in it is
// checked against the bytes really there, and nothing beyond them is read.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

inline constexpr quint16 NetBiosPort = 137;
// Larger than any honest answer (255 names with their statistics take 4694 bytes).
inline constexpr qsizetype NetBiosAntwortMaxBytes = 4800;

struct TNetBiosName {
    QString Name;      // 1 to 15 characters, padding removed
    quint8 Suffix = 0; // 16th byte: 0x00 workstation, 0x03 messenger, 0x20 server
    bool GruppeS = false;
    bool AbgemeldetS = false; // being deregistered or in conflict: no longer the host's

    bool operator==(const TNetBiosName&) const = default;
};

struct TNetBiosStatus {
    QList<TNetBiosName> Namen;
};

// The node-status request for the wildcard name "*" with this transaction number.
QByteArray NetBiosStatusAnfrage(quint16 kennung);

// The names of a node-status answer to the request with this transaction number; nothing
// when the datagram is no such answer. A truncated list yields the entries that are whole.
std::optional<TNetBiosStatus> NetBiosStatusLesen(QByteArrayView antwort, quint16 kennung);

// The host's own name: its unique workstation name (suffix 0x00), else its unique server
// name (0x20); empty when the answer has neither.
QString NetBiosRechnername(const TNetBiosStatus& status);

// The logged-on users: unique messenger names (suffix 0x03) other than the computer's own
// names, in the order of the answer, each once.
QStringList NetBiosBenutzer(const TNetBiosStatus& status);
