#include "platform/linux/TSignalWaechter.h"

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int signalRohr[2] = {-1, -1};

void SignalBehandeln(int signr) {
    const char c = char(signr);
    // Only async-signal-safe work here; a full pipe just drops the repeat.
    [[maybe_unused]] auto r = ::write(signalRohr[1], &c, 1);
}
} // namespace

TSignalWaechter::TSignalWaechter(QObject* parent) : QObject(parent) {
    if (signalRohr[0] < 0 &&
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalRohr) != 0)
        return;
    FMelder = std::make_unique<QSocketNotifier>(signalRohr[0], QSocketNotifier::Read);
    connect(FMelder.get(), &QSocketNotifier::activated, this, [this] {
        char puffer[16];
        while (::read(signalRohr[0], puffer, sizeof puffer) > 0) {
        }
        emit SitzungEndet();
    });
    struct sigaction sa = {};
    sa.sa_handler = SignalBehandeln;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int signr : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signr, &sa, nullptr);
}

TSignalWaechter::~TSignalWaechter() {
    struct sigaction sa = {};
    sa.sa_handler = SIG_DFL;
    for (int signr : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signr, &sa, nullptr);
}
