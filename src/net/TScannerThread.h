#pragma once
// One thread of a subnet sweep: it sweeps one block of 256 addresses (IPTeil, such as
// "192.168.1."), deletes itself when it has ended and reports its end, exactly once,
// through a handler queued to a context object. Creating one counts it in the ScannerAnzahl of its program;
// the completion handler counts it out.

#include "hosts/THostList.h"
#include "net/ScannerDurchlauf.h"

#include <QPointer>
#include <QStringList>
#include <QThread>
#include <functional>

class TScannerThread : public QThread {
    Q_OBJECT
public:
    // Runs on kontext's thread after the sweep, with the ended thread, which is deleted after
    // the handler has returned; not at all when kontext or the thread was deleted before.
    using TAbschluss = std::function<void(TScannerThread*)>;

    // Counts the thread (ScannerAnzahl + 1), stores the prefix and starts the sweep. Call on
    // the user-interface thread; kontext lives there and becomes the thread's parent.
    // hostList must outlive the sweep: its owner deletes running threads (which stop and
    // wait) before the list. eigeneMacs: the machine's own hardware addresses, never added.
    static QPointer<TScannerThread> Create(const QString& aIPTeil, THostList& hostList,
                                           const TScannerUmgebung& umgebung, QObject* kontext,
                                           TAbschluss abschluss, const QStringList& eigeneMacs = {});
    // Asks the sweep to stop at its next check and waits for it.
    ~TScannerThread() override;

    const QString& IPTeil() const { return FIPTeil; }

protected:
    void run() override;

private:
    TScannerThread(const QString& aIPTeil, THostList& hostList, const TScannerUmgebung& umgebung,
                   const QStringList& eigeneMacs, QObject* parent);

    const QString FIPTeil;
    THostList& FHostList;
    const TScannerUmgebung FUmgebung;
    const QStringList FEigeneMacs;
};
