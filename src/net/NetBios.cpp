#include "net/NetBios.h"

#include <QSet>

namespace {
constexpr quint16 TypNodeStatus = 0x0021;
constexpr quint16 KlasseIn = 0x0001;
constexpr qsizetype KopfBytes = 12;
constexpr qsizetype EintragBytes = 18;
constexpr qsizetype NamenBytes = 15;
// Honest answers carry no question; a few are skipped, a flood of them is not read.
constexpr int FragenMax = 4;

constexpr quint16 FlagAntwort = 0x8000;
constexpr quint16 NameGruppe = 0x8000;
constexpr quint16 NameAbmeldung = 0x1000;
constexpr quint16 NameKonflikt = 0x0800;

quint16 Lese16(QByteArrayView d, qsizetype p) {
    return quint16((quint8(d[p]) << 8) | quint8(d[p + 1]));
}

// The position after an encoded name that begins at p, or -1 when it does not end within
// the datagram. A compression pointer ends the name; it is not followed.
qsizetype NameUeberspringen(QByteArrayView d, qsizetype p) {
    qsizetype laenge = 0;
    while (p >= 0 && p < d.size()) {
        const quint8 l = quint8(d[p]);
        if (l == 0)
            return p + 1;
        if ((l & 0xC0) == 0xC0)
            return p + 2 <= d.size() ? p + 2 : -1;
        if (l & 0xC0)
            return -1;
        laenge += l + 1;
        if (laenge > 255)
            return -1;
        p += 1 + l;
    }
    return -1;
}

// One entry of the name table; nothing for padding only or control characters.
std::optional<TNetBiosName> EintragLesen(QByteArrayView e) {
    qsizetype ende = NamenBytes;
    while (ende > 0 && (e[ende - 1] == ' ' || e[ende - 1] == '\0'))
        --ende;
    if (ende == 0)
        return std::nullopt;
    for (qsizetype i = 0; i < ende; ++i) {
        const quint8 c = quint8(e[i]);
        if (c < 0x20 || c == 0x7f)
            return std::nullopt;
    }
    TNetBiosName name;
    // Bytes above 0x7f belong to the sender's OEM code page, which the answer does not name.
    name.Name = QString::fromLatin1(e.first(ende));
    name.Suffix = quint8(e[NamenBytes]);
    const quint16 flags = Lese16(e, NamenBytes + 1);
    name.GruppeS = flags & NameGruppe;
    name.AbgemeldetS = flags & (NameAbmeldung | NameKonflikt);
    return name;
}

bool Gilt(const TNetBiosName& n) {
    return !n.GruppeS && !n.AbgemeldetS;
}
} // namespace

QByteArray NetBiosStatusAnfrage(quint16 kennung) {
    QByteArray p;
    p.reserve(50);
    p.append(char(kennung >> 8)).append(char(kennung));
    p.append(2, '\0');                           // query, not recursive, not broadcast
    p.append('\0').append('\1').append(6, '\0'); // one question
    // "*" padded with zero bytes to 16, each half-byte as a letter from 'A'.
    p.append(char(32));
    const char name[16] = {'*'};
    for (char c : name)
        p.append(char('A' + (quint8(c) >> 4))).append(char('A' + (quint8(c) & 0x0f)));
    p.append('\0');
    p.append(char(TypNodeStatus >> 8)).append(char(TypNodeStatus & 0xff));
    p.append(char(KlasseIn >> 8)).append(char(KlasseIn & 0xff));
    return p;
}

std::optional<TNetBiosStatus> NetBiosStatusLesen(QByteArrayView a, quint16 kennung) {
    if (a.size() < KopfBytes || a.size() > NetBiosAntwortMaxBytes)
        return std::nullopt;
    const quint16 flags = Lese16(a, 2);
    // An answer (not a request), opcode query, result code 0.
    if (Lese16(a, 0) != kennung || !(flags & FlagAntwort) || ((flags >> 11) & 0x0f) != 0 ||
        (flags & 0x0f) != 0)
        return std::nullopt;
    const quint16 fragen = Lese16(a, 4);
    if (Lese16(a, 6) == 0 || fragen > FragenMax)
        return std::nullopt;
    qsizetype p = KopfBytes;
    for (int i = 0; i < fragen && p >= 0; ++i) {
        p = NameUeberspringen(a, p);
        if (p >= 0)
            p = p + 4 <= a.size() ? p + 4 : -1;
    }
    p = NameUeberspringen(a, p);
    if (p < 0 || p + 10 > a.size())
        return std::nullopt;
    if (Lese16(a, p) != TypNodeStatus || Lese16(a, p + 2) != KlasseIn)
        return std::nullopt;
    const qsizetype datenLaenge = qMin<qsizetype>(Lese16(a, p + 8), a.size() - (p + 10));
    const QByteArrayView daten = a.sliced(p + 10, datenLaenge);
    if (daten.isEmpty())
        return std::nullopt;
    // The count is the sender's word; only entries that are really there are read.
    const qsizetype anzahl = qMin<qsizetype>(quint8(daten[0]), (daten.size() - 1) / EintragBytes);
    TNetBiosStatus status;
    for (qsizetype i = 0; i < anzahl; ++i)
        if (const auto name = EintragLesen(daten.sliced(1 + i * EintragBytes, EintragBytes)))
            status.Namen.append(*name);
    return status;
}

QString NetBiosRechnername(const TNetBiosStatus& status) {
    for (quint8 suffix : {quint8(0x00), quint8(0x20)})
        for (const TNetBiosName& n : status.Namen)
            if (Gilt(n) && n.Suffix == suffix)
                return n.Name;
    return {};
}

QStringList NetBiosBenutzer(const TNetBiosStatus& status) {
    QSet<QString> rechner;
    for (const TNetBiosName& n : status.Namen)
        if (Gilt(n) && (n.Suffix == 0x00 || n.Suffix == 0x20))
            rechner.insert(n.Name.toUpper());
    QStringList benutzer;
    for (const TNetBiosName& n : status.Namen)
        if (Gilt(n) && n.Suffix == 0x03 && !rechner.contains(n.Name.toUpper()) && !benutzer.contains(n.Name))
            benutzer.append(n.Name);
    return benutzer;
}
