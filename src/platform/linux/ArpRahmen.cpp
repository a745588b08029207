#include "platform/linux/ArpRahmen.h"

namespace {
constexpr quint16 HardwareEthernet = 1;
constexpr quint16 ProtokollIpv4 = 0x0800;
constexpr quint16 OpAnfrage = 1;
constexpr quint16 OpAntwort = 2;
constexpr quint32 BlockMaske = 0xffffff00u;

void Schreibe16(QByteArray& p, quint16 w) {
    p.append(char(w >> 8)).append(char(w));
}
void Schreibe32(QByteArray& p, quint32 w) {
    Schreibe16(p, quint16(w >> 16));
    Schreibe16(p, quint16(w));
}
quint16 Lese16(QByteArrayView d, qsizetype p) {
    return quint16((quint8(d[p]) << 8) | quint8(d[p + 1]));
}
quint32 Lese32(QByteArrayView d, qsizetype p) {
    return (quint32(Lese16(d, p)) << 16) | Lese16(d, p + 2);
}
} // namespace

QByteArray ArpAnfrage(QByteArrayView eigeneHardware, quint32 eigeneAdresse, quint32 ziel) {
    if (eigeneHardware.size() != 6)
        return {};
    QByteArray p;
    p.reserve(ArpNachrichtBytes);
    Schreibe16(p, HardwareEthernet);
    Schreibe16(p, ProtokollIpv4);
    p.append(char(6)).append(char(4));
    Schreibe16(p, OpAnfrage);
    p.append(eigeneHardware.data(), 6);
    Schreibe32(p, eigeneAdresse);
    p.append(6, '\0');
    Schreibe32(p, ziel);
    return p;
}

std::optional<TArpAntwort> ArpAntwortLesen(QByteArrayView n, quint32 eigeneAdresse, quint32 basis) {
    // Ethernet pads short frames: more than 28 bytes is normal, fewer is not an answer.
    if (n.size() < ArpNachrichtBytes)
        return std::nullopt;
    if (Lese16(n, 0) != HardwareEthernet || Lese16(n, 2) != ProtokollIpv4 || quint8(n[4]) != 6 ||
        quint8(n[5]) != 4 || Lese16(n, 6) != OpAntwort)
        return std::nullopt;
    const quint32 absender = Lese32(n, 14);
    if (Lese32(n, 24) != eigeneAdresse || (absender & BlockMaske) != (basis & BlockMaske))
        return std::nullopt;
    const QByteArrayView hardware = n.sliced(8, 6);
    // A group address or none at all cannot be a host's own.
    if ((quint8(hardware[0]) & 0x01) || hardware.count('\0') == 6)
        return std::nullopt;
    return TArpAntwort{absender, hardware.toByteArray()};
}

std::vector<sock_filter> ArpFilter(quint32 eigeneAdresse, quint32 basis) {
    // Offsets are counted from the ARP message; loads read network byte order.
    return {
        BPF_STMT(BPF_LD | BPF_H | BPF_ABS, 6),                    // operation
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, OpAntwort, 0, 6),     //   not a reply: drop
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, 24),                   // target address
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, eigeneAdresse, 0, 4), //   not to us: drop
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, 14),                   // sender address
        BPF_STMT(BPF_ALU | BPF_AND | BPF_K, BlockMaske),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, basis & BlockMaske, 0, 1), //   not of the block: drop
        BPF_STMT(BPF_RET | BPF_K, 0xffff),
        BPF_STMT(BPF_RET | BPF_K, 0),
    };
}
