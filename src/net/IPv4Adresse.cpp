#include "net/IPv4Adresse.h"

QString IPv4Text(quint32 a) {
    return QStringLiteral("%1.%2.%3.%4")
        .arg(a >> 24)
        .arg((a >> 16) & 0xff)
        .arg((a >> 8) & 0xff)
        .arg(a & 0xff);
}

std::optional<quint32> IPv4AusText(const QString& text) {
    if (text.size() > 15)
        return std::nullopt;
    quint32 adresse = 0;
    int teile = 0;
    qsizetype i = 0;
    while (teile < 4) {
        int wert = 0;
        int ziffern = 0;
        while (i < text.size() && text[i] >= u'0' && text[i] <= u'9' && ziffern < 3) {
            wert = wert * 10 + (text[i].unicode() - u'0');
            ++ziffern;
            ++i;
        }
        // "010" would be octal to the resolver and decimal here: accept neither reading.
        if (ziffern == 0 || wert > 255 || (ziffern > 1 && text[i - ziffern] == u'0'))
            return std::nullopt;
        adresse = (adresse << 8) | quint32(wert);
        if (++teile < 4) {
            if (i >= text.size() || text[i] != u'.')
                return std::nullopt;
            ++i;
        }
    }
    if (i != text.size())
        return std::nullopt;
    return adresse;
}
