#include "net/Rechnernamen.h"

#include "net/IPv4Adresse.h"
#include "platform/TNetzSuche.h"

#include <QRandomGenerator>

#include <atomic>
#include <thread>
#include <vector>

namespace {
// Reverse lookups at once; the resolver cannot be interrupted, so a few at a time.
constexpr int RueckwaertsGleichzeitig = 16;
} // namespace

TNamensauskunft::TNamensauskunft(TNetzSuche& suche, const QList<quint32>& adressen, bool rueckwaertsS) {
    if (adressen.isEmpty())
        return;
    // The NetBIOS round first and alone: its short wait must not share the processor with
    // the lookups.
    const auto kennung = quint16(QRandomGenerator::global()->generate());
    const QHash<quint32, QByteArray> antworten = suche.NetBiosAbfragen(
        adressen, NetBiosStatusAnfrage(kennung), NetBiosWarteMs,
        [kennung](QByteArrayView a) { return NetBiosStatusLesen(a, kennung).has_value(); });
    for (auto i = antworten.cbegin(); i != antworten.cend(); ++i)
        if (const auto status = NetBiosStatusLesen(i.value(), kennung))
            FStatus.insert(i.key(), *status);
    if (!rueckwaertsS)
        return;

    std::vector<QString> namen(size_t(adressen.size()));
    std::atomic<qsizetype> naechste{0};
    const auto nachschlagen = [&] {
        for (qsizetype i; (i = naechste++) < adressen.size();)
            namen[size_t(i)] = suche.RueckwaertsName(adressen[i]);
    };
    std::vector<std::thread> helfer;
    try {
        for (qsizetype i = 1; i < qMin<qsizetype>(RueckwaertsGleichzeitig, adressen.size()); ++i)
            helfer.emplace_back(nachschlagen);
    } catch (...) {
        // No more threads to be had: the ones there and this one do all of it.
    }
    nachschlagen();
    for (std::thread& t : helfer)
        t.join();
    for (qsizetype i = 0; i < adressen.size(); ++i)
        if (!namen[size_t(i)].isEmpty())
            FRueckwaerts.insert(adressen[i], namen[size_t(i)]);
}

QString TNamensauskunft::ResolveHostName(quint32 adresse) const {
    const QString name = FRueckwaerts.value(adresse);
    return name.isEmpty() ? NetBiosName(adresse) : name;
}

QString TNamensauskunft::NetBiosName(quint32 adresse) const {
    return NetBiosRechnername(FStatus.value(adresse));
}

QStringList TNamensauskunft::ReadLoggedOnUsers(quint32 adresse) const {
    return NetBiosBenutzer(FStatus.value(adresse));
}

QString ResolveHostName(TNetzSuche& suche, const QString& adresse) {
    const std::optional<quint32> a = IPv4AusText(adresse);
    if (!a || *a == 0)
        return {};
    // The reverse lookup first: NetBIOS is only asked where it knows nothing.
    const QString name = suche.RueckwaertsName(*a);
    return name.isEmpty() ? TNamensauskunft(suche, {*a}, false).NetBiosName(*a) : name;
}

QStringList ReadLoggedOnUsers(TNetzSuche& suche, const QString& adresse) {
    const std::optional<quint32> a = IPv4AusText(adresse);
    if (!a || *a == 0)
        return {};
    return TNamensauskunft(suche, {*a}, false).ReadLoggedOnUsers(*a);
}

QString ChooseUserName(const QStringList& namen) {
    for (const QString& n : namen)
        if (!n.contains(u'$'))
            return n;
    return namen.value(0);
}
