#pragma once

#include "common/ResConst.h"

#include <QString>
#include <QVector>

struct THostListRec {
    bool ChangeS = false; // the row must be repainted
    QString PC;           // device name
    QString User;         // user logged on at the host
    QString IP;           // dotted IPv4, as last reported
    QString MAC;          // 00-1A-2B-3C-4D-5E; the identity of the entry
    bool BroadcastS = false;
    TStatus Status = TStatus::sOffline;
    bool SenderS = false; // a peer instance runs there
    quint32 Millisek = 0; // tick count of the last confirming announcement

    bool operator==(const THostListRec&) const = default;
};

using THostListListe = QVector<THostListRec>;
