#include "net/TIcmpThread.h"

#include "net/IcmpDurchlauf.h"
#include "net/TsanHinweise.h"

TIcmpThread::TIcmpThread(THostList& hostList, const TLaufzeit& laufzeit,
                         std::shared_ptr<const TNetzwerkSonde> sonde, QObject* parent)
    : QThread(parent), FHostList(hostList), FLaufzeit(laufzeit), FSonde(std::move(sonde)) {}

QPointer<TIcmpThread> TIcmpThread::Create(THostList& hostList, const TLaufzeit& laufzeit, QObject* kontext,
                                          TAbschluss abschluss, std::shared_ptr<const TNetzwerkSonde> sonde) {
    QObject* eltern = kontext && kontext->thread() == QThread::currentThread() ? kontext : nullptr;
    auto* thread = new TIcmpThread(hostList, laufzeit, std::move(sonde), eltern);
    // Both connections exist before the thread runs, so no end can be missed.
    if (kontext && abschluss)
        connect(
            thread, &QThread::finished, kontext,
            [abschluss = std::move(abschluss), thread, bericht = thread->FBericht] {
                TsanRunBeendetGesehen(thread);
                abschluss(*bericht);
            },
            Qt::QueuedConnection);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
    return thread;
}

TIcmpThread::~TIcmpThread() {
    requestInterruption();
    wait();
    TsanRunBeendetGesehen(this);
}

void TIcmpThread::run() {
    try {
        *FBericht = IcmpDurchlauf(FHostList, *FSonde,
                                  [this] { return isInterruptionRequested() || IcmpAnhalten(FLaufzeit); });
    } catch (...) {
        FBericht->AusnahmeS = true;
        // A failure ends this pass only; the next one starts after the usual pause.
    }
    TsanRunBeendet(this);
}
