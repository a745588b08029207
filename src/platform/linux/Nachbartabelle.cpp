#include "platform/linux/Nachbartabelle.h"

#include "common/Zeichen.h"

#include <QList>

namespace {
constexpr unsigned ArpKomplett = 0x2; // ATF_COM

QByteArray PunktText(quint32 adresse) {
    return QByteArray::number(adresse >> 24) + '.' + QByteArray::number((adresse >> 16) & 0xff) + '.' +
           QByteArray::number((adresse >> 8) & 0xff) + '.' + QByteArray::number(adresse & 0xff);
}

// The whitespace-separated columns of one line.
QList<QByteArrayView> Spalten(QByteArrayView zeile) {
    QList<QByteArrayView> spalten;
    qsizetype i = 0;
    while (i < zeile.size()) {
        while (i < zeile.size() && (zeile[i] == ' ' || zeile[i] == '\t'))
            ++i;
        const qsizetype anfang = i;
        while (i < zeile.size() && zeile[i] != ' ' && zeile[i] != '\t')
            ++i;
        if (i > anfang)
            spalten.append(zeile.sliced(anfang, i - anfang));
    }
    return spalten;
}

bool HexZahl(QByteArrayView text, unsigned& wert) {
    if (text.startsWith("0x") || text.startsWith("0X"))
        text = text.sliced(2);
    if (text.isEmpty() || text.size() > 8)
        return false;
    wert = 0;
    for (char c : text) {
        const int h = HexWert(char16_t(uchar(c)));
        if (h < 0)
            return false;
        wert = wert * 16 + unsigned(h);
    }
    return true;
}
} // namespace

QByteArray HardwareAusDoppelpunktText(QByteArrayView text) {
    if (text.size() != 17)
        return {};
    QByteArray bytes;
    for (int gruppe = 0; gruppe < 6; ++gruppe) {
        const qsizetype p = gruppe * 3;
        if (gruppe > 0 && text[p - 1] != ':')
            return {};
        const int hoch = HexWert(char16_t(uchar(text[p])));
        const int tief = HexWert(char16_t(uchar(text[p + 1])));
        if (hoch < 0 || tief < 0)
            return {};
        bytes.append(char(hoch * 16 + tief));
    }
    return bytes;
}

QByteArray HardwareAusArpTabelle(QByteArrayView tabelle, quint32 adresse) {
    if (tabelle.size() > NachbartabelleMaxBytes)
        tabelle = tabelle.first(NachbartabelleMaxBytes);
    const QByteArray gesucht = PunktText(adresse);
    qsizetype anfang = tabelle.indexOf('\n') + 1; // the first line is the heading
    while (anfang > 0 && anfang < tabelle.size()) {
        qsizetype ende = tabelle.indexOf('\n', anfang);
        if (ende < 0)
            ende = tabelle.size();
        const QList<QByteArrayView> s = Spalten(tabelle.sliced(anfang, ende - anfang));
        anfang = ende + 1;
        // IP address, HW type, Flags, HW address, Mask, Device
        unsigned flags = 0;
        if (s.size() < 4 || s[0] != gesucht || !HexZahl(s[2], flags) || !(flags & ArpKomplett))
            continue;
        const QByteArray bytes = HardwareAusDoppelpunktText(s[3]);
        if (!bytes.isEmpty() && bytes.count('\0') != bytes.size())
            return bytes;
    }
    return {};
}
