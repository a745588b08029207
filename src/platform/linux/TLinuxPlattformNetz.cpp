// The network services of the Linux platform; kept apart from the rest of the class.

#include "platform/linux/IcmpEcho.h"
#include "platform/linux/LinuxNetz.h"
#include "platform/linux/TLinuxPlattform.h"

bool TLinuxPlattform::Netzwerkschnittstellen(QList<TRohSchnittstelle>& liste) {
    return LinuxSchnittstellenLesen(liste);
}

QByteArray TLinuxPlattform::Hardwareadresse(quint32 adresse) {
    return LinuxHardwareadresse(adresse);
}

bool TLinuxPlattform::IcmpEcho(quint32 ziel, int timeoutMs) {
    return IcmpEchoSenden(ziel, timeoutMs).Ergebnis == TEchoErgebnis::Antwort;
}

quint32 TLinuxPlattform::AdresseAufloesen(const QString& host) {
    return LinuxAdresseAufloesen(host);
}
