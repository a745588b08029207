#include "schedule/Zeitsteuerung.h"

#include "common/DatumZeit.h"
#include "common/TFelder.h"

#include <limits>
#include <optional>

TZeitsteuerungAktion AktionAusNummer(int nummer) {
    if (nummer < 0 || nummer > 3)
        return TZeitsteuerungAktion::akKeine;
    return TZeitsteuerungAktion(nummer);
}

QString ZeitsteuerungText(const TZeitsteuerungRec& rec) {
    return QString::number(int(rec.Aktion)) % u'|' % (rec.JedenTagS ? u'1' : u'0') % u'|' %
           DatumText(rec.Datum) % u'|' % ZeitText(rec.Zeit);
}

QString ZeitsteuerungTextGestempelt(const TZeitsteuerungRec& rec, const QTime& jetzt) {
    return ZeitTextSekunden(jetzt) % u'|' % ZeitsteuerungText(rec);
}

std::optional<int> LeseGanzzahl(QStringView text) {
    qsizetype i = 0;
    bool negativS = false;
    if (!text.isEmpty() && (text[0] == u'+' || text[0] == u'-')) {
        negativS = text[0] == u'-';
        i = 1;
    }
    if (i >= text.size())
        return std::nullopt;
    qint64 wert = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        wert = wert * 10 + (c - u'0');
        if (wert > qint64(std::numeric_limits<int>::max()) + 1)
            return std::nullopt; // does not fit an integer
    }
    if (negativS)
        wert = -wert;
    if (wert > std::numeric_limits<int>::max() || wert < std::numeric_limits<int>::min())
        return std::nullopt;
    return int(wert);
}

TZeitsteuerungRec LeseZeitsteuerungText(QStringView gestempelt, const QDateTime& jetzt) {
    const TFelder felder(gestempelt);
    TZeitsteuerungRec rec;
    rec.Aktion = AktionAusNummer(LeseGanzzahl(felder.Feld(2)).value_or(0));
    rec.JedenTagS = felder.Feld(3) == QLatin1String("1");
    rec.Datum = LeseDatum(felder.Feld(4)).value_or(jetzt.date());
    rec.Zeit = LeseZeit(felder.Feld(5)).value_or(jetzt.time());
    return rec;
}

bool IsZeitsteuerung(bool StopS, bool SchonIcmpS, const TZeitsteuerungRec& rec, const QDateTime& progStart,
                     const QDateTime& jetzt) {
    if (StopS || !SchonIcmpS || rec.Aktion == TZeitsteuerungAktion::akKeine)
        return false;
    if (!rec.JedenTagS && rec.Datum != jetzt.date())
        return false;
    if (ZeitText(rec.Zeit) != ZeitText(jetzt.time()))
        return false;
    // Compared as minute texts so that an invalid stamp simply never matches.
    return DatumZeitMinute(progStart) != DatumZeitMinute(jetzt);
}
