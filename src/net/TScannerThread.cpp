#include "net/TScannerThread.h"

#include "net/ScannerDurchlauf.h"
#include "net/TsanHinweise.h"

TScannerThread::TScannerThread(const QString& aIPTeil, THostList& hostList, const TScannerUmgebung& umgebung,
                               const QStringList& eigeneMacs, QObject* parent)
    : QThread(parent), FIPTeil(aIPTeil), FHostList(hostList), FUmgebung(umgebung), FEigeneMacs(eigeneMacs) {}

QPointer<TScannerThread> TScannerThread::Create(const QString& aIPTeil, THostList& hostList,
                                                const TScannerUmgebung& umgebung, QObject* kontext,
                                                TAbschluss abschluss, const QStringList& eigeneMacs) {
    QObject* eltern = kontext && kontext->thread() == QThread::currentThread() ? kontext : nullptr;
    auto* thread = new TScannerThread(aIPTeil, hostList, umgebung, eigeneMacs, eltern);
    ++umgebung.Laufzeit.ScannerAnzahl;
    // Both connections exist before the thread runs, so no end can be missed; the handler's
    // call is queued before the deletion.
    if (kontext && abschluss)
        connect(
            thread, &QThread::finished, kontext,
            [abschluss = std::move(abschluss), zeiger = QPointer<TScannerThread>(thread)] {
                // A thread its owner deleted has been accounted for by the owner.
                if (zeiger) {
                    TsanRunBeendetGesehen(zeiger.data());
                    abschluss(zeiger.data());
                }
            },
            Qt::QueuedConnection);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
    return thread;
}

TScannerThread::~TScannerThread() {
    requestInterruption();
    wait();
    TsanRunBeendetGesehen(this);
}

void TScannerThread::run() {
    try {
        ScannerDurchlauf(FUmgebung, FIPTeil, FHostList, FEigeneMacs,
                         [this] { return isInterruptionRequested() || ScannerAnhalten(FUmgebung.Laufzeit); });
    } catch (...) {
        // A failure ends this block's sweep only; the completion handler still runs.
    }
    TsanRunBeendet(this);
}
