#pragma once
// The machine's IPv4 networks as the sweep needs them: where ARP can go out, and how long the
// kernel keeps the neighbour entries the sweep makes it create.

#include <QByteArray>
#include <chrono>
#include <vector>

// A local IPv4 network and what is needed to send ARP on its link.
struct TScannerNetz {
    quint32 Adresse = 0;
    quint32 Maske = 0;
    QByteArray Link; // the link's name ("eth0" for "eth0:1")
    int Index = 0;
    QByteArray Hardware;
    bool ArpS = false; // Ethernet with ARP, not point-to-point
};

// Every IPv4 address that is up and running, loopback excepted, in the kernel's order.
std::vector<TScannerNetz> ScannerNetzeLesen();

// How long the kernel keeps a neighbour entry it created for us, from the link's settings
// (the defaults when they cannot be read).
struct TNachbarZeiten {
    std::chrono::steady_clock::duration Unvollstaendig =
        std::chrono::milliseconds(3500);                                       // asking, then failed
    std::chrono::steady_clock::duration Erreichbar = std::chrono::seconds(46); // resolved, confirmed
    std::chrono::steady_clock::duration Nachfrage =
        std::chrono::milliseconds(1000); // between two ARP requests
};
TNachbarZeiten NachbarZeitenLesen(const QByteArray& link);
