#include "common/ResConst.h"

#include <QMutex>
#include <QMutexLocker>

std::atomic<bool> StopS{false};
std::atomic<bool> ScannerS{false};
int ScannerAnzahl = 0;

QString EigenerPC;
QString EigenerName;
QString HostlisteDatei;
QString ZeitsteuerungDatei;
QString DesktopLink;
QString DesktopLinkAlle;
QString AutostartLink;

namespace {
QMutex eigeneMacSperre;
QString eigeneMac;
} // namespace

QString EigeneMAC() {
    QMutexLocker sperre(&eigeneMacSperre);
    return eigeneMac;
}

void SetzeEigeneMAC(const QString& mac) {
    QMutexLocker sperre(&eigeneMacSperre);
    eigeneMac = mac;
}

const QString& StatusText(TStatus s) {
    static const QString texte[2] = {QStringLiteral("Offline"), QStringLiteral("Online")};
    return texte[s == TStatus::sOnline ? 1 : 0];
}

const QString& SenderText(bool senderS) {
    static const QString texte[2] = {QStringLiteral("Inaktiv"), QStringLiteral("Aktiv")};
    return texte[senderS ? 1 : 0];
}
