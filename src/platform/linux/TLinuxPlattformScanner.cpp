// The scanner's services of the Linux platform; kept apart from the rest of the class.

#include "platform/linux/Klang.h"
#include "platform/linux/Namensabfrage.h"
#include "platform/linux/ScannerSuche.h"
#include "platform/linux/TLinuxPlattform.h"

std::unique_ptr<TPlattform::TScannerSuche>
TLinuxPlattform::ScannerSucheBeginnen(quint32 basis, std::function<bool()> anhalten) {
    return std::make_unique<TLinuxScannerSuche>(basis, std::move(anhalten), LinuxSuchWeg());
}

QString TLinuxPlattform::RueckwaertsName(quint32 adresse) {
    return LinuxRueckwaertsName(adresse);
}

QHash<quint32, QByteArray>
TLinuxPlattform::NetBiosAbfragen(const QList<quint32>& ziele, const QByteArray& anfrage, int timeoutMs,
                                 const std::function<bool(QByteArrayView)>& akzeptieren) {
    return LinuxNetBiosAbfragen(ziele, anfrage, timeoutMs, akzeptieren);
}

bool TLinuxPlattform::KlangSpielen(TKlang klang) {
    return LinuxKlangSpielen(klang);
}
