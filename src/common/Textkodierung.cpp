#include "common/Textkodierung.h"

#include "platform/TPlattform.h"

#include <QStringDecoder>

QString DekodiereTextdatei(const QByteArray& daten) {
    auto mitBom = [&](QStringConverter::Encoding kodierung, int bomLaenge) {
        QStringDecoder dekodierer(kodierung, QStringConverter::Flag::Stateless);
        return QString(dekodierer(QByteArrayView(daten).sliced(bomLaenge)));
    };
    if (daten.startsWith("\xEF\xBB\xBF"))
        return mitBom(QStringConverter::Utf8, 3);
    if (daten.startsWith("\xFF\xFE"))
        return mitBom(QStringConverter::Utf16LE, 2);
    if (daten.startsWith("\xFE\xFF"))
        return mitBom(QStringConverter::Utf16BE, 2);
    return Plattform().VonAnsi(daten);
}

QByteArray KodiereAnsi(const QString& text) {
    return Plattform().ZuAnsi(text);
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
