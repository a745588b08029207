#include "net/Rechnernamen.h"

#include "net/IPv4Adresse.h"
#include "platform/TNetzSuche.h"

#include <QRandomGenerator>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {
// Reverse lookups at once per group; the resolver cannot be interrupted, so a few at a time.
constexpr int RueckwaertsGleichzeitig = 16;
std::atomic<int> laufendeHelfer{0};

// What the lookups of one group share with it. The group may stop waiting and go; the
// helpers still in the resolver then own this alone and free it when they end.
struct TRueckwaertsLauf {
    TNetzSuche::TRueckwaertsFrage Frage;
    QList<quint32> Adressen;
    std::atomic<qsizetype> Naechste{0};
    std::mutex Sperre;
    std::condition_variable Fertig;
    std::vector<QString> Namen; // guarded by Sperre
    qsizetype Erledigt = 0;     // guarded by Sperre
};

void Nachschlagen(const std::shared_ptr<TRueckwaertsLauf>& lauf) {
    for (qsizetype i; (i = lauf->Naechste++) < lauf->Adressen.size();) {
        QString name;
        try {
            name = lauf->Frage(lauf->Adressen.at(i)); // at(): no detach, other helpers read it too
        } catch (...) {
            // No name for this address.
        }
        const std::lock_guard sperre(lauf->Sperre);
        lauf->Namen[size_t(i)] = std::move(name);
        ++lauf->Erledigt;
        lauf->Fertig.notify_all();
    }
    --laufendeHelfer;
}

// Starts up to anzahl detached helpers within the process-wide limit; how many started.
int HelferStarten(const std::shared_ptr<TRueckwaertsLauf>& lauf, qsizetype anzahl) {
    int gestartet = 0;
    for (; gestartet < anzahl; ++gestartet) {
        if (laufendeHelfer.fetch_add(1) >= RueckwaertsHelferMax) {
            --laufendeHelfer;
            break;
        }
        try {
            std::thread(Nachschlagen, lauf).detach();
        } catch (...) {
            --laufendeHelfer;
            break;
        }
    }
    return gestartet;
}
} // namespace

TNamensauskunft::TNamensauskunft(TNetzSuche& suche, const QList<quint32>& adressen, bool rueckwaertsS,
                                 const std::function<bool()>& anhalten) {
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

    auto lauf = std::make_shared<TRueckwaertsLauf>();
    lauf->Frage = suche.RueckwaertsFrage();
    lauf->Adressen = adressen;
    lauf->Namen.resize(size_t(adressen.size()));
    if (!lauf->Frage || HelferStarten(lauf, qMin<qsizetype>(RueckwaertsGleichzeitig, adressen.size())) == 0)
        return;
    std::unique_lock sperre(lauf->Sperre);
    const auto alleDa = [&] { return lauf->Erledigt == adressen.size(); };
    // The stop test only while names are still missing: a quick resolver never asks it.
    while (!lauf->Fertig.wait_for(sperre, std::chrono::milliseconds(AnhaltenPruefMs), alleDa))
        if (anhalten && anhalten()) {
            lauf->Naechste = adressen.size(); // the helpers take no further address
            break;
        }
    for (qsizetype i = 0; i < adressen.size(); ++i)
        if (!lauf->Namen[size_t(i)].isEmpty())
            FRueckwaerts.insert(adressen[i], lauf->Namen[size_t(i)]);
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
    const TNetzSuche::TRueckwaertsFrage frage = suche.RueckwaertsFrage();
    const QString name = frage ? frage(*a) : QString();
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
