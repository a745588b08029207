#include "common/DatumZeit.h"

#include "common/Zeichen.h"

#include <QStringList>

namespace {

TDatumsnamen GrundNamen() {
    // The names a German system reports before the program adjusts them.
    TDatumsnamen n;
    const char* kurzeTage[7] = {"Mo.", "Di.", "Mi.", "Do.", "Fr.", "Sa.", "So."};
    const char* langeTage[7] = {"Montag",  "Dienstag", "Mittwoch", "Donnerstag",
                                "Freitag", "Samstag",  "Sonntag"};
    const char* kurzeMonate[12] = {"Jan", "Feb", "Mrz", "Apr", "Mai", "Jun",
                                   "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
    const char* langeMonate[12] = {"Januar", "Februar", "März",      "April",   "Mai",      "Juni",
                                   "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
    for (int i = 0; i < 7; ++i) {
        n.KurzeTage[i] = QString::fromUtf8(kurzeTage[i]);
        n.LangeTage[i] = QString::fromUtf8(langeTage[i]);
    }
    for (int i = 0; i < 12; ++i) {
        n.KurzeMonate[i] = QString::fromUtf8(kurzeMonate[i]);
        n.LangeMonate[i] = QString::fromUtf8(langeMonate[i]);
    }
    return n;
}

QString ZweiStellen(int wert) {
    return QStringLiteral("%1").arg(wert, 2, 10, QLatin1Char('0'));
}

} // namespace

void PasseDatumsnamenAn(TDatumsnamen& namen) {
    for (QString& tag : namen.KurzeTage)
        if (tag.endsWith(u'.'))
            tag.chop(1);
    for (QString& monat : namen.KurzeMonate) {
        const QString gross = monat.toUpper();
        if (gross == QLatin1String("JAN"))
            monat = QStringLiteral("Jän");
        else if (gross == QLatin1String("MRZ"))
            monat = QStringLiteral("Mär");
    }
    for (QString& monat : namen.LangeMonate)
        if (monat.toUpper() == QLatin1String("JANUAR")) {
            monat = QStringLiteral("Jänner");
            break;
        }
}

const TDatumsnamen& Datumsnamen() {
    static const TDatumsnamen namen = [] {
        TDatumsnamen n = GrundNamen();
        PasseDatumsnamenAn(n);
        return n;
    }();
    return namen;
}

QString KurzerTagName(const QDate& datum) {
    return Datumsnamen().KurzeTage[datum.dayOfWeek() - 1];
}
QString LangerTagName(const QDate& datum) {
    return Datumsnamen().LangeTage[datum.dayOfWeek() - 1];
}
QString LangerMonatName(const QDate& datum) {
    return Datumsnamen().LangeMonate[datum.month() - 1];
}

QString StatusBarText(const QDateTime& jetzt) {
    const QDate d = jetzt.date();
    const QTime t = jetzt.time();
    return LangerTagName(d) % QStringLiteral(", ") % QString::number(d.day()) % QStringLiteral(". ") %
           LangerMonatName(d) % u' ' % QString::number(d.year()) % QStringLiteral(", ") % ZeitText(t) %
           QStringLiteral(" Uhr");
}

QString DatumText(const QDate& datum) {
    return ZweiStellen(datum.day()) % u'.' % ZweiStellen(datum.month()) % u'.' %
           QStringLiteral("%1").arg(datum.year(), 4, 10, QLatin1Char('0'));
}

QString ZeitText(const QTime& zeit) {
    return ZweiStellen(zeit.hour()) % u':' % ZweiStellen(zeit.minute());
}

QString ZeitTextSekunden(const QTime& zeit) {
    return ZeitText(zeit) % u':' % ZweiStellen(zeit.second());
}

QString DatumZeitMinute(const QDateTime& dt) {
    return DatumText(dt.date()) % u' ' % ZeitText(dt.time());
}

std::optional<QDate> LeseDatum(const QString& text) {
    const QStringList teile = text.trimmed().split(u'.');
    if (teile.size() != 3)
        return std::nullopt;
    const auto tag = Ziffernfolge(teile[0], 2), monat = Ziffernfolge(teile[1], 2),
               jahr = Ziffernfolge(teile[2], 4);
    if (!tag || !monat || !jahr || teile[2].size() != 4)
        return std::nullopt;
    const QDate d(*jahr, *monat, *tag);
    if (!d.isValid())
        return std::nullopt;
    return d;
}

std::optional<QTime> LeseZeit(const QString& text) {
    const QStringList teile = text.trimmed().split(u':');
    if (teile.size() != 2 && teile.size() != 3)
        return std::nullopt;
    const auto h = Ziffernfolge(teile[0], 2), m = Ziffernfolge(teile[1], 2);
    const auto s = teile.size() == 3 ? Ziffernfolge(teile[2], 2) : std::optional<int>(0);
    if (!h || !m || !s || *h > 23 || *m > 59 || *s > 59)
        return std::nullopt;
    return QTime(*h, *m, *s);
}
