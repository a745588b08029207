#include "common/ResConst.h"

const QString& StatusText(TStatus s) {
    static const QString texte[2] = {QStringLiteral("Offline"), QStringLiteral("Online")};
    return texte[s == TStatus::sOnline ? 1 : 0];
}

const QString& SenderText(bool senderS) {
    static const QString texte[2] = {QStringLiteral("Inaktiv"), QStringLiteral("Aktiv")};
    return texte[senderS ? 1 : 0];
}
