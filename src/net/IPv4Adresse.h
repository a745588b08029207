#pragma once
// IPv4 addresses as 32-bit values in host byte order and their dotted decimal text.

#include <QString>
#include <optional>

QString IPv4Text(quint32 adresse);
// Exactly four decimal numbers 0..255 joined by '.', nothing else; no shorthand
// forms and no leading zeros.
std::optional<quint32> IPv4AusText(const QString& text);
