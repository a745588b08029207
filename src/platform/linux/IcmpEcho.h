#pragma once
// One ICMP echo request and the wait for the reply to it. An unprivileged ICMP datagram
// socket is tried first (allowed by net.ipv4.ping_group_range), a raw socket second (root
// or CAP_NET_RAW). Only an echo reply to this very request counts: same sender, same
// sequence number and the same random mark in the data (with a raw socket also the same
// identifier; a datagram socket's identifier is set and filtered by the kernel).

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "platform/TNetz.h"

enum class TEchoWeg { Keiner, Datagramm, Roh };
enum class TEchoErgebnis { Antwort, KeineAntwort, SendeFehler, KeinSocket };

struct TEchoBericht {
    TEchoErgebnis Ergebnis = TEchoErgebnis::KeinSocket;
    TEchoWeg Weg = TEchoWeg::Keiner;
    int Fehler = 0; // errno of a failed socket or send
};

// Sends to ziel (host byte order, never 0) and waits at most timeoutMs. Thread-safe.
TEchoBericht IcmpEchoSenden(quint32 ziel, int timeoutMs);

// The probe pass's round over one socket (see TNetz::TEchoRunde); null without any socket.
std::unique_ptr<TNetz::TEchoRunde> IcmpEchoRundeBeginnen(std::function<bool()> anhalten);
// Why no socket can be opened, for the user (the group range in the words of sysctl);
// empty when one can.
QString IcmpHindernisText();

// --- The wire format, pure so that odd packets can be tested -----------------------------
inline constexpr int IcmpKopfBytes = 8;
inline constexpr int EchoMarkeBytes = 8;

quint16 IcmpPruefsumme(QByteArrayView daten);
// Echo request: type 8, code 0, checksum, identifier, sequence, then the mark.
QByteArray EchoAnfrage(quint16 kennung, quint16 folge, quint64 marke);

struct TEchoErwartung {
    quint32 Ziel = 0;
    quint16 Kennung = 0;
    bool KennungPruefenS = true;
    quint16 Folge = 0;
    quint64 Marke = 0;
};
// paket is the ICMP message (datagram socket) or the whole IPv4 packet (mitIpKopfS, raw
// socket); absender the address it came from.
// The sequence number of an ICMP message (as IstUnsereAntwort takes it), -1 when too short.
int EchoAntwortFolge(QByteArrayView paket, bool mitIpKopfS);
bool IstUnsereAntwort(QByteArrayView paket, bool mitIpKopfS, quint32 absender,
                      const TEchoErwartung& erwartet);
