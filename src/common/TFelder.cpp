#include "common/TFelder.h"

QStringView TrimSteuerView(QStringView text) {
    qsizetype a = 0, e = text.size();
    while (a < e && text[a].unicode() <= 32)
        ++a;
    while (e > a && text[e - 1].unicode() <= 32)
        --e;
    return text.mid(a, e - a);
}

QString TrimSteuer(QStringView text) {
    return TrimSteuerView(text).toString();
}

bool IstLeer(QStringView text) {
    return TrimSteuerView(text).isEmpty();
}

TFelder::TFelder(QStringView text) : FText(text) {
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        while (i < n && text[i] == u'|')
            ++i;
        if (i >= n)
            break;
        const qsizetype start = i;
        while (i < n && text[i] != u'|')
            ++i;
        FBereiche.append({start, i - start});
    }
}

QStringView TFelder::Roh(int n) const {
    if (n < 1 || n > FBereiche.size())
        return {};
    const TBereich& b = FBereiche[n - 1];
    return FText.mid(b.Start, b.Laenge);
}

QString TFelder::RestAbFeld3() const {
    if (FBereiche.size() < 3)
        return {};
    return FText.mid(FBereiche[2].Start).toString();
}
