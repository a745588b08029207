#pragma once
// The Wake-on-LAN magic packet: six 0xFF bytes, then the hardware address sixteen times.

#include <QByteArray>
#include <QString>
#include <optional>

constexpr int MagicPacketGroesse = 102;

// From the MAC text in either case, with or without "-" (characters after the twelfth
// digit are ignored); nothing when it does not hold twelve hexadecimal digits.
std::optional<QByteArray> MagicPacket(const QString& mac);
