#pragma once
// Reading the kernel's neighbour (ARP) table as /proc/net/arp shows it. Pure functions on
// the file's text, so odd or damaged contents are testable without a kernel.

#include <QByteArray>
#include <QByteArrayView>

// Largest table text we look at; the kernel's table holds at most a few thousand entries.
inline constexpr qsizetype NachbartabelleMaxBytes = 1024 * 1024;

// "00:1a:2b:3c:4d:5e" → six bytes; empty unless it is exactly six two-digit hex groups.
QByteArray HardwareAusDoppelpunktText(QByteArrayView text);

// The hardware address of the first complete entry (flag 0x2) for the address; empty when
// there is none, when the entry is incomplete or failed, or when its address is all zero.
QByteArray HardwareAusArpTabelle(QByteArrayView tabelle, quint32 adresse);
