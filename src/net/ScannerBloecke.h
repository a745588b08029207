#pragma once
// Which blocks of 256 addresses a sweep covers. The directed broadcast address alone
// decides: its last number is swept, or its last two when the third number is 255.

#include "net/Netzwerkschnittstellen.h"

#include <QStringList>

// The address prefixes ("192.168.1."), one per sweeping thread, in the order the threads are
// made. A network shared by several interfaces, or a block two networks have in common,
// is swept once; an entry whose broadcast address is no address is left out.
QStringList ScannerIPTeile(const TBroadcastList& netze);
