#include "power/WakeOnLan.h"

namespace {
int HexWert(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}
} // namespace

std::optional<QByteArray> MagicPacket(const QString& mac) {
    QString ziffern = mac;
    ziffern.remove(u'-');
    if (ziffern.size() < 12)
        return std::nullopt;
    QByteArray adresse;
    for (int i = 0; i < 6; ++i) {
        const int hoch = HexWert(ziffern[2 * i]), tief = HexWert(ziffern[2 * i + 1]);
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
