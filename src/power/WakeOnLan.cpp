#include "power/WakeOnLan.h"

#include "common/Zeichen.h"

std::optional<QByteArray> MagicPacket(const QString& mac) {
    QString ziffern = mac;
    ziffern.remove(u'-');
    if (ziffern.size() < 12)
        return std::nullopt;
    QByteArray adresse;
    for (int i = 0; i < 6; ++i) {
        const int hoch = HexWert(ziffern[2 * i].unicode()), tief = HexWert(ziffern[2 * i + 1].unicode());
        if (hoch < 0 || tief < 0)
            return std::nullopt;
        adresse.append(char(hoch * 16 + tief));
    }
    QByteArray paket(6, char(0xFF));
    paket.reserve(MagicPacketGroesse);
    for (int i = 0; i < 16; ++i)
        paket.append(adresse);
    return paket;
}
