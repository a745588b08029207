#include "net/Hardwareadresse.h"

#include "net/IPv4Adresse.h"
#include "platform/TNetz.h"

QString MacFormatieren(QByteArrayView bytes) {
    static constexpr char16_t Ziffern[] = u"0123456789ABCDEF";
    QString text;
    text.reserve(bytes.size() * 3);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            text += u'-';
        const auto b = quint8(bytes[i]);
        text += QChar(Ziffern[b >> 4]);
        text += QChar(Ziffern[b & 0x0f]);
    }
    return text;
}

QString ResolveMAC(TNetz& netz, const QString& ip) {
    const std::optional<quint32> adresse = IPv4AusText(ip);
    if (!adresse || *adresse == 0)
        return {};
    const QByteArray bytes = netz.Hardwareadresse(*adresse);
    // An all-zero address is what the table shows for an unresolved neighbour.
    if (bytes.count('\0') == bytes.size())
        return {};
    return MacFormatieren(bytes);
}
