#include "net/ScannerBloecke.h"

#include "net/IPv4Adresse.h"

#include <QSet>

QStringList ScannerIPTeile(const TBroadcastList& netze) {
    QStringList teile;
    QSet<QString> erledigt;
    QSet<QString> bloecke;
    const auto hinzu = [&](const QString& teil) {
        if (!bloecke.contains(teil)) {
            bloecke.insert(teil);
            teile.append(teil);
        }
    };
    for (const TBroadcastRec& netz : netze) {
        if (erledigt.contains(netz.BroadcastIP))
            continue;
        erledigt.insert(netz.BroadcastIP);
        const std::optional<quint32> broadcast = IPv4AusText(netz.BroadcastIP);
        if (!broadcast)
            continue;
        const QString vorne = QStringLiteral("%1.%2.").arg(*broadcast >> 24).arg((*broadcast >> 16) & 0xff);
        const quint32 dritte = (*broadcast >> 8) & 0xff;
        if (dritte == 255) {
            for (int n = 0; n <= 255; ++n)
                hinzu(vorne + QString::number(n) + u'.');
        } else {
            hinzu(vorne + QString::number(dritte) + u'.');
        }
    }
    return teile;
}
