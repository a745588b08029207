#include "common/Namen.h"

namespace {
bool Rand(QChar c) {
    return c.unicode() <= 32 || c.isSpace();
}
} // namespace

QString NameTrimmen(const QString& name) {
    qsizetype anfang = 0;
    qsizetype ende = name.size();
    while (anfang < ende && Rand(name[anfang]))
        ++anfang;
    while (ende > anfang && Rand(name[ende - 1]))
        --ende;
    return name.mid(anfang, ende - anfang);
}

bool NamenZeichenVerboten(QChar c) {
    return c == u'|' || c.unicode() < 32 || c.unicode() == 127;
}

QString NameBereinigen(const QString& name) {
    QString ohne;
    ohne.reserve(name.size());
    for (QChar c : name)
        if (!NamenZeichenVerboten(c))
            ohne.append(c);
    return NameTrimmen(ohne);
}
