#pragma once
// ARP requests of our own, IPv4 over Ethernet, as a packet socket of type SOCK_DGRAM sends
// and receives them (the 28-byte ARP message, without the Ethernet header). Pure functions,
// so odd answers can be tested without a network.

#include <QByteArray>
#include <QByteArrayView>
#include <linux/filter.h>
#include <optional>
#include <vector>

inline constexpr qsizetype ArpNachrichtBytes = 28;

// "Who has ziel? Tell eigeneAdresse": from our hardware address (6 bytes), to everybody.
QByteArray ArpAnfrage(QByteArrayView eigeneHardware, quint32 eigeneAdresse, quint32 ziel);

struct TArpAntwort {
    quint32 Absender = 0;
    QByteArray Hardware; // 6 bytes, neither all zero nor a group address
};

// An answer to one of our requests: a reply about an address of the block (basis .0 to
// .255), sent to eigeneAdresse. Anything else gives nothing.
std::optional<TArpAntwort> ArpAntwortLesen(QByteArrayView nachricht, quint32 eigeneAdresse, quint32 basis);

// Kernel filter for the packet socket that lets only such replies through, so a socket
// does not wake for every ARP message on the link (the sweep's own requests included).
std::vector<sock_filter> ArpFilter(quint32 eigeneAdresse, quint32 basis);
