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
    using TAbschluss = std::function<void()>;

    // Creates the thread and starts the pass at once. abschluss runs on kontext's thread
    // after the pass (not at all when kontext is gone by then). kontext must live in the
    // calling thread; the thread object becomes its child. hostList must outlive the pass:
    // its owner deletes a running thread (which stops and waits) before the list.
    static QPointer<TIcmpThread> Create(THostList& hostList, const TLaufzeit& laufzeit, QObject* kontext,
                                        TAbschluss abschluss, std::shared_ptr<const TNetzwerkSonde> sonde);
    // Asks the pass to stop at its next check and waits for it.
    ~TIcmpThread() override;
    // What the pass did; read once it has ended (in the completion handler).
    TIcmpDurchlaufBericht Bericht() const { return FBericht; }
    bool AusnahmeS() const { return FAusnahmeS; }

protected:
    void run() override;

private:
    TIcmpThread(THostList& hostList, const TLaufzeit& laufzeit, std::shared_ptr<const TNetzwerkSonde> sonde,
                QObject* parent);

    THostList& FHostList;
    const TLaufzeit& FLaufzeit;
    std::shared_ptr<const TNetzwerkSonde> FSonde;
    TIcmpDurchlaufBericht FBericht;
    bool FAusnahmeS = false;
};
