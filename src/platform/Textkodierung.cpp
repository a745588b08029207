#include "platform/Textkodierung.h"

#include "platform/TDateien.h"

#include <QStringDecoder>

QString DekodiereTextdatei(TDateien& dateien, const QByteArray& daten) {
    auto mitBom = [&](QStringConverter::Encoding kodierung, int bomLaenge) {
        // Only the one mark is ours: a second one belongs to the text.
        QStringDecoder dekodierer(kodierung, QStringConverter::Flag::Stateless |
                                                 QStringConverter::Flag::ConvertInitialBom);
        return QString(dekodierer(QByteArrayView(daten).sliced(bomLaenge)));
    };
    if (daten.startsWith("\xEF\xBB\xBF"))
        return mitBom(QStringConverter::Utf8, 3);
    if (daten.startsWith("\xFF\xFE"))
        return mitBom(QStringConverter::Utf16LE, 2);
    if (daten.startsWith("\xFE\xFF"))
        return mitBom(QStringConverter::Utf16BE, 2);
    return dateien.VonAnsi(daten);
}

QByteArray KodiereAnsi(TDateien& dateien, const QString& text) {
    return dateien.ZuAnsi(text);
}

QByteArray KodiereTextdatei(TDateien& dateien, const QString& text) {
    QByteArray daten = KodiereAnsi(dateien, text);
    // Text that begins like a byte-order mark (a name starting with U+FEFF, say) would lose
    // its first characters to the reader: then the file gets a real mark in front.
    if (daten.startsWith("\xEF\xBB\xBF") || daten.startsWith("\xFF\xFE") || daten.startsWith("\xFE\xFF"))
        return "\xEF\xBB\xBF" + text.toUtf8();
    return daten;
}

QStringList TeileZeilen(const QString& text) {
    QStringList zeilen;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            zeilen.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        zeilen.append(text.mid(start));
    return zeilen;
}
