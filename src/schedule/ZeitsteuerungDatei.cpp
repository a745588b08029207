#include "schedule/ZeitsteuerungDatei.h"

#include "common/TFelder.h"
#include "platform/Dateien.h"
#include "platform/TDateien.h"
#include "platform/Textkodierung.h"
#include "schedule/RtfText.h"

QString ZeitsteuerungDateiText(TDateien& dateien, const QByteArray& daten) {
    const QString text = IstRtf(daten) ? RtfZuText(daten) : DekodiereTextdatei(dateien, daten);
    return TrimSteuer(text);
}

std::optional<QString> LeseZeitsteuerungDatei(TDateien& dateien, const QString& pfad, QString* grund) {
    // A FIFO or device would block or never end: only regular files are read.
    const TDateien::TGelesen datei = dateien.DateiLesen(pfad, MaxZeitsteuerungDateiGroesse);
    if (datei.Art != TDateien::TGelesen::TArt::Gelesen) {
        if (grund)
            *grund = datei.Grund;
        return std::nullopt;
    }
    return ZeitsteuerungDateiText(dateien, datei.Daten);
}

bool SchreibeZeitsteuerungDatei(TDateien& dateien, const QString& pfad, const QString& text, QString* grund) {
    // A folder the program may not create files in still lets it replace the file in place.
    return DateiErsetzen(dateien, pfad, KodiereAnsi(dateien, text + QStringLiteral("\r\n")), true, grund);
}
