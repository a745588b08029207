#pragma once
// Node-status answers as hosts send them, for the tests.

#include <QByteArray>
#include <QList>

struct TTestName {
    QByteArray Name;
    quint8 Suffix = 0;
    quint16 Flags = 0x0400; // active, unique
};

inline constexpr quint16 TestGruppe = 0x8000;
inline constexpr quint16 TestAbmeldung = 0x1000;

// A whole answer: header, the name "*" (or a pointer to it), the record and the statistics.
inline QByteArray NetBiosAntwortBauen(quint16 kennung, const QList<TTestName>& namen, bool zeigerS = false) {
    QByteArray a;
    auto w16 = [&a](quint16 w) { a.append(char(w >> 8)).append(char(w)); };
    w16(kennung);
    w16(0x8400); // answer, authoritative
    w16(0);
    w16(1);
    w16(0);
    w16(0);
    if (zeigerS) {
        a.append(char(0xC0)).append(char(12));
    } else {
        a.append(char(32));
        a.append("CK");
        a.append(QByteArray(30, 'A'));
        a.append('\0');
    }
    w16(0x0021);
    w16(0x0001);
    w16(0);
    w16(0);
    w16(quint16(1 + 18 * namen.size() + 46));
    a.append(char(namen.size()));
    for (const TTestName& n : namen) {
        a.append(n.Name.leftJustified(15, ' ', true));
        a.append(char(n.Suffix));
        w16(n.Flags);
    }
    QByteArray statistik(46, '\0');
    statistik.replace(0, 6, QByteArray::fromHex("027700000099"));
    a.append(statistik);
    return a;
}
