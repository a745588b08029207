// The reader of NetBIOS node-status answers (UDP 137), which the scanner asks every host that
// answers a ping: the answer comes from any machine of the network.
//
// Input: two bytes of transaction number (big-endian), then the answer datagram.
#include "FuzzStuetze.h"

#include "net/NetBios.h"

#include <QSet>

namespace {

constexpr qsizetype KopfBytes = 12;
constexpr qsizetype EintragBytes = 18;

QString Namen(const TNetBiosStatus& s) {
    QStringList teile;
    for (const TNetBiosName& n : s.Namen)
        teile << QStringLiteral("%1<%2>%3%4")
                     .arg(Lesbar(n.Name))
                     .arg(n.Suffix, 2, 16, QLatin1Char('0'))
                     .arg(n.GruppeS ? QStringLiteral("G") : QString())
                     .arg(n.AbgemeldetS ? QStringLiteral("A") : QString());
    return teile.join(u' ');
}

void Anhaengen16(QByteArray& d, quint16 wert) {
    d.append(char(wert >> 8)).append(char(wert & 0xFF));
}

// A node-status answer as RFC 1002 describes it, written independently of the reader:
// header, the wildcard name, type NBSTAT, class IN, the name table and the statistics.
QByteArray Antwort(quint16 kennung, const TNetBiosStatus& status) {
    QByteArray d;
    Anhaengen16(d, kennung);
    Anhaengen16(d, 0x8400); // answer, authoritative, result 0
    Anhaengen16(d, 0);      // questions
    Anhaengen16(d, 1);      // answers
    Anhaengen16(d, 0);
    Anhaengen16(d, 0);
    d.append(char(32));
    for (int i = 0; i < 16; ++i) {
        const auto c = quint8(i == 0 ? '*' : '\0');
        d.append(char('A' + (c >> 4))).append(char('A' + (c & 0x0F)));
    }
    d.append('\0');
    Anhaengen16(d, 0x0021);
    Anhaengen16(d, 0x0001);
    d.append(4, '\0'); // time to live
    QByteArray tabelle;
    tabelle.append(char(status.Namen.size()));
    for (const TNetBiosName& n : status.Namen) {
        tabelle.append(n.Name.toLatin1().leftJustified(15, ' ', true));
        tabelle.append(char(n.Suffix));
        Anhaengen16(tabelle, quint16((n.GruppeS ? 0x8000 : 0) | (n.AbgemeldetS ? 0x1000 : 0) | 0x0400));
    }
    tabelle.append(QByteArray::fromHex("02000000000700"));
    tabelle.append(39, '\0'); // the rest of the statistics
    Anhaengen16(d, quint16(tabelle.size()));
    return d + tabelle;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
    if (groesse < 2)
        return 0;
    const quint16 kennung = quint16((daten[0] << 8) | daten[1]);
    const QByteArrayView antwort(reinterpret_cast<const char*>(daten + 2), qsizetype(groesse - 2));
    const QString wozu = QStringLiteral("answer %1").arg(Lesbar(antwort.toByteArray()));

    const std::optional<TNetBiosStatus> status = NetBiosStatusLesen(antwort, kennung);
    // An answer is read only for the request it answers.
    FUZZ_PRUEFEN(!NetBiosStatusLesen(antwort, quint16(kennung ^ 0x5A5A)),
                 wozu + QStringLiteral(": read for another transaction number"));
    if (!status)
        return 0;

    // Only what is really there: names of 1 to 15 printable characters, no padding.
    FUZZ_PRUEFEN(status->Namen.size() <= 255 &&
                     status->Namen.size() <= (antwort.size() - KopfBytes) / EintragBytes,
                 wozu + QStringLiteral(": %1 names").arg(status->Namen.size()));
    for (const TNetBiosName& n : status->Namen) {
        FUZZ_PRUEFEN(!n.Name.isEmpty() && n.Name.size() <= 15 && !n.Name.endsWith(u' ') &&
                         !n.Name.endsWith(QChar()),
                     wozu + QStringLiteral(": name ") + Lesbar(n.Name));
        for (QChar c : n.Name)
            FUZZ_PRUEFEN(c.unicode() >= 0x20 && c.unicode() != 0x7F && c.unicode() <= 0xFF,
                         wozu + QStringLiteral(": control character in ") + Lesbar(n.Name));
    }

    // The computer name is one of the host's own unique names; users are unique messenger
    // names, each once, none of them the computer's.
    const QString rechner = NetBiosRechnername(*status);
    QSet<QString> eigene;
    bool rechnerGefundenS = rechner.isEmpty();
    for (const TNetBiosName& n : status->Namen)
        if (!n.GruppeS && !n.AbgemeldetS && (n.Suffix == 0x00 || n.Suffix == 0x20)) {
            eigene.insert(n.Name.toUpper());
            rechnerGefundenS = rechnerGefundenS || n.Name == rechner;
        }
    FUZZ_PRUEFEN(rechnerGefundenS,
                 wozu +
                     QStringLiteral(": computer name %1 not among %2").arg(Lesbar(rechner), Namen(*status)));
    const QStringList benutzer = NetBiosBenutzer(*status);
    FUZZ_PRUEFEN(QSet<QString>(benutzer.begin(), benutzer.end()).size() == benutzer.size(),
                 wozu + QStringLiteral(": a user twice"));
    for (const QString& b : benutzer) {
        bool gefundenS = false;
        for (const TNetBiosName& n : status->Namen)
            gefundenS = gefundenS || (n.Name == b && n.Suffix == 0x03 && !n.GruppeS && !n.AbgemeldetS);
        FUZZ_PRUEFEN(gefundenS && !eigene.contains(b.toUpper()),
                     wozu + QStringLiteral(": user ") + Lesbar(b));
    }

    // Written anew as a clean answer, the names read back the same.
    const QByteArray neu = Antwort(kennung, *status);
    const std::optional<TNetBiosStatus> wieder = NetBiosStatusLesen(neu, kennung);
    FUZZ_PRUEFEN(
        wieder && wieder->Namen == status->Namen,
        wozu + QStringLiteral(": names %1 written as %2 read back as %3")
                   .arg(Namen(*status), Lesbar(neu), wieder ? Namen(*wieder) : QStringLiteral("nothing")));
    return 0;
}
