#pragma once
// The discovery half of a sweep on Linux: which hosts of one block of 256 addresses answer,
// and their hardware addresses. Why it works the way it does stands at the top of
// ScannerSuche.cpp.

#include "platform/TNetzSuche.h"

#include <functional>
#include <memory>
#include <sys/socket.h>
#include <sys/types.h>

enum class TSuchWeg {
    Automatisch, // own ARP requests where the process may send them, echo requests otherwise
    NurEcho,     // echo requests only, as a process without CAP_NET_RAW sweeps
};

// The way the platform's sessions take (Automatisch unless changed). Tests and the
// benchmark choose NurEcho to see how a process without CAP_NET_RAW fares.
void SetzeLinuxSuchWeg(TSuchWeg weg);
TSuchWeg LinuxSuchWeg();

// How a session puts one request on the wire: fd is the session's socket, an and laenge the
// address for sendto, ziel the IPv4 address asked for. Returns what sendto returns, with errno
// set on failure; a refusal for want of room is repeated, any other is final.
using TSuchSenden =
    std::function<ssize_t(int fd, const QByteArray& daten, const void* an, socklen_t laenge, quint32 ziel)>;
ssize_t SuchSendenSystem(int fd, const QByteArray& daten, const void* an, socklen_t laenge, quint32 ziel);

// What a session did, for tests and the benchmark.
struct TSuchBericht {
    bool EigeneArpS = false; // own ARP requests went out
    bool ArpHelferS = false; // the ARP helper asked for the process
    bool EchoRohS = false;   // echoes over a raw socket (ping_group_range excludes the process)
    int ArpGesendet = 0;
    int EchoGesendet = 0;
    int Zurueckgestellt = 0; // echoes that had to wait for a place in the neighbour budget
    int Abgewiesen = 0;      // sends refused for want of room (ENOBUFS, EAGAIN) and repeated
};

class TLinuxScannerSuche : public TNetzSuche::TScannerSuche {
public:
    TLinuxScannerSuche(quint32 basis, std::function<bool()> anhalten, TSuchWeg weg = TSuchWeg::Automatisch,
                       TSuchSenden senden = SuchSendenSystem);
    ~TLinuxScannerSuche() override;

    void Fragen(quint8 n, int warteMs) override;
    QList<TNetzSuche::TScannerFund> Funde() override;

    const TSuchBericht& Bericht() const;

private:
    struct TDaten;
    std::unique_ptr<TDaten> d;
};
