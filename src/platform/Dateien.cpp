#include "platform/Dateien.h"

#include "platform/TDateien.h"

#include <QDir>
#include <QFileInfo>

bool DateiErsetzen(TDateien& dateien, const QString& pfad, const QByteArray& inhalt, bool direktErlaubtS,
                   QString* grund) {
    return dateien.DateiSchreiben(pfad, inhalt, direktErlaubtS, grund);
}

std::optional<QString> KopieAufbewahren(TDateien& dateien, const QString& pfad, const QByteArray& inhalt,
                                        QString* grund, const QString& endung) {
    for (int nr = 1; nr <= 99; ++nr) {
        const QString kopie = pfad + endung + (nr > 1 ? QString::number(nr) : QString());
        const QFileInfo info(kopie);
        if (info.exists() || info.isSymLink())
            continue;
        // Written whole or not at all, like the program's own files.
        if (!dateien.DateiSchreiben(kopie, inhalt, false, grund))
            return std::nullopt;
        return kopie;
    }
    if (grund)
        *grund = QStringLiteral("zu viele frühere Kopien daneben");
    return std::nullopt;
}

QString PfadFuerMeldung(const QString& pfad) {
    return QDir::toNativeSeparators(pfad);
}
