#include "net/Rechnernamen.h"

#include "net/IPv4Adresse.h"
#include "platform/TPlattform.h"

#include <QRandomGenerator>

TNamensauskunft::TNamensauskunft(const QList<quint32>& adressen) {
    if (adressen.isEmpty())
        return;
    const auto kennung = quint16(QRandomGenerator::global()->generate());
    const QHash<quint32, QByteArray> antworten = Plattform().NetBiosAbfragen(
        adressen, NetBiosStatusAnfrage(kennung), NetBiosWarteMs,
        [kennung](QByteArrayView a) { return NetBiosStatusLesen(a, kennung).has_value(); });
    for (auto i = antworten.cbegin(); i != antworten.cend(); ++i)
        if (const auto status = NetBiosStatusLesen(i.value(), kennung))
            FStatus.insert(i.key(), *status);
}

QString TNamensauskunft::ResolveHostName(quint32 adresse) const {
    const QString name = Plattform().RueckwaertsName(adresse);
    return name.isEmpty() ? NetBiosName(adresse) : name;
}

QString TNamensauskunft::NetBiosName(quint32 adresse) const {
    return NetBiosRechnername(FStatus.value(adresse));
}

QStringList TNamensauskunft::ReadLoggedOnUsers(quint32 adresse) const {
    return NetBiosBenutzer(FStatus.value(adresse));
}

QString ResolveHostName(const QString& adresse) {
    const std::optional<quint32> a = IPv4AusText(adresse);
    if (!a || *a == 0)
        return {};
    // The reverse lookup first: NetBIOS is only asked where it knows nothing.
    const QString name = Plattform().RueckwaertsName(*a);
    return name.isEmpty() ? TNamensauskunft({*a}).NetBiosName(*a) : name;
}

QStringList ReadLoggedOnUsers(const QString& adresse) {
    const std::optional<quint32> a = IPv4AusText(adresse);
    if (!a || *a == 0)
        return {};
    return TNamensauskunft({*a}).ReadLoggedOnUsers(*a);
}

QString ChooseUserName(const QStringList& namen) {
    for (const QString& n : namen)
        if (!n.contains(u'$'))
            return n;
    return namen.value(0);
}
