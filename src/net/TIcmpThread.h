#pragma once
// The reachability probe's worker: one pass over the host list per thread. The thread
// deletes itself when the pass has ended and reports the end through a handler queued to a
// context object, exactly once per pass.

#include "hosts/THostList.h"
#include "net/IcmpDurchlauf.h"
#include "net/TNetzwerkSonde.h"

#include <QPointer>
#include <QThread>
#include <functional>
#include <memory>

class TIcmpThread : public QThread {
    Q_OBJECT
public:
    // Receives the report of the very pass that ended (the next one may be running by then).
    using TAbschluss = std::function<void(const TIcmpDurchlaufBericht&)>;

    // Creates the thread and starts the pass at once. abschluss runs on kontext's thread
    // after the pass (not at all when kontext is gone by then). kontext must live in the
    // calling thread; the thread object becomes its child. hostList must outlive the pass:
    // its owner deletes a running thread (which stops and waits) before the list.
    static QPointer<TIcmpThread> Create(THostList& hostList, const TLaufzeit& laufzeit, QObject* kontext,
                                        TAbschluss abschluss, std::shared_ptr<const TNetzwerkSonde> sonde);
    // Asks the pass to stop at its next check and waits for it.
    ~TIcmpThread() override;

protected:
    void run() override;

private:
    TIcmpThread(THostList& hostList, const TLaufzeit& laufzeit, std::shared_ptr<const TNetzwerkSonde> sonde,
                QObject* parent);

    THostList& FHostList;
    const TLaufzeit& FLaufzeit;
    std::shared_ptr<const TNetzwerkSonde> FSonde;
    // Shared with the completion handler, which may run after the thread object is gone.
    std::shared_ptr<TIcmpDurchlaufBericht> FBericht = std::make_shared<TIcmpDurchlaufBericht>();
};
