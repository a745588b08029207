#include "platform/Dateien.h"

#include "platform/TDateien.h"

#include <QFileInfo>
#include <QSaveFile>

bool DateiErsetzen(TDateien& dateien, const QString& pfad, const QByteArray& inhalt, bool direktErlaubtS) {
    if (pfad.isEmpty())
        return false;
    const QFileInfo info(pfad);
    if (info.exists() || info.isSymLink())
        dateien.DateiAttributeEntfernen(pfad);
    QSaveFile datei(pfad);
    datei.setDirectWriteFallback(direktErlaubtS);
    // Unbuffered, so a full disk fails the write itself: a failing flush inside commit() is
    // not always reported, and the empty file would replace the old one.
    if (!datei.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (datei.write(inhalt) != inhalt.size() || !datei.flush()) {
        datei.cancelWriting();
        return false;
    }
    return datei.commit();
}
