// The rich-text reader of the schedule file (a file saved by a word processor).
//
// Input, used twice: as a rich-text document as it is, and as plain text (UTF-8) that this
// target writes into a rich-text document itself, with every character escaped, which the
// reader must give back unchanged.
#include "FuzzStuetze.h"

#include "schedule/RtfText.h"

namespace {

constexpr qsizetype Voll = 64 * 1024;

// Plain text as a word processor would save it: the three special characters escaped, line
// breaks and tabs as control words, Latin-1 letters as "\'hh" in code page 1252, every other
// character as "\uN" with a "?" for readers that do not know it.
QByteArray AlsRtf(const QString& text) {
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}"
                     "{\\colortbl ;\\red0\\green0\\blue0;}\\viewkind4\\uc1\\pard\\f0\\fs20 ";
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\' || u == u'{' || u == u'}')
            rtf += '\\' + QByteArray(1, char(u));
        else if (u == u'\n')
            rtf += "\\par\r\n";
        else if (u == u'\t')
            rtf += "\\tab ";
        else if (u >= 0x20 && u < 0x7F)
            rtf += char(u);
        else if (u >= 0xA0 && u <= 0xFF)
            rtf += "\\'" + QByteArray::number(int(u), 16).rightJustified(2, '0');
        else
            rtf += "\\u" + QByteArray::number(u > 0x7FFF ? int(u) - 0x10000 : int(u)) + '?';
    }
    return rtf + "\\par\r\n}\r\n";
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzUmgebung();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
    const QByteArrayView roh(reinterpret_cast<const char*>(daten), qsizetype(groesse));

    // Any bytes: bounded output, and a smaller limit gives the start of the same text.
    const QString text = RtfZuText(roh, Voll);
    FUZZ_PRUEFEN(text.size() <= Voll, QStringLiteral("%1 characters").arg(text.size()));
    const qsizetype grenze = qsizetype(groesse % 97);
    const QString kurz = RtfZuText(roh, grenze);
    FUZZ_PRUEFEN(kurz == text.left(grenze), QStringLiteral("limit %1 gives %2, the full text begins %3")
                                                .arg(grenze)
                                                .arg(Lesbar(kurz), Lesbar(text.left(grenze))));

    // Escaped plain text comes back as it was.
    const QString klar = QString::fromUtf8(roh);
    const QByteArray dokument = AlsRtf(klar);
    FUZZ_PRUEFEN(IstRtf(dokument), QStringLiteral("not recognised as rich text"));
    const QString gelesen = RtfZuText(dokument, Voll);
    const QString soll = klar + u'\n';
    FUZZ_PRUEFEN(
        gelesen == soll.left(Voll),
        QStringLiteral("%1 written as %2 reads as %3").arg(Lesbar(klar), Lesbar(dokument), Lesbar(gelesen)));
    return 0;
}
