#include "schedule/ZeitsteuerungDatei.h"

#include "common/TFelder.h"
#include "platform/Dateien.h"
#include "platform/Textkodierung.h"
#include "schedule/RtfText.h"

#include <QFile>
#include <QFileInfo>

QString ZeitsteuerungDateiText(TDateien& dateien, const QByteArray& daten) {
    const QString text = IstRtf(daten) ? RtfZuText(daten) : DekodiereTextdatei(dateien, daten);
    return TrimSteuer(text);
}

std::optional<QString> LeseZeitsteuerungDatei(TDateien& dateien, const QString& pfad) {
    if (pfad.isEmpty())
        return std::nullopt;
    // A FIFO or device would block or never end: only regular files are read.
    const QFileInfo info(pfad);
    if (!info.exists() || !info.isFile())
        return std::nullopt;
    QFile datei(pfad);
    if (!datei.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray daten = datei.read(MaxZeitsteuerungDateiGroesse);
    if (datei.error() != QFileDevice::NoError)
        return std::nullopt;
    return ZeitsteuerungDateiText(dateien, daten);
}

bool SchreibeZeitsteuerungDatei(TDateien& dateien, const QString& pfad, const QString& text) {
    // A folder the program may not create files in still lets it replace the file in place.
    return DateiErsetzen(dateien, pfad, KodiereAnsi(dateien, text + QStringLiteral("\r\n")), true);
}
