// The stop-signal handler: it removes what the registry holds (temporary
// folders, a book being saved), then lets the signal end the process. It
// only makes async-signal-safe calls: unlink, rmdir, signal and raise.
#include "app/stop_cleanup.h"

#include <signal.h>
#include <unistd.h>

#include "app/batch_stop.h"
#include "text/stop_cleanup_registry.h"

namespace tavorin {

namespace {

void RemoveAndDie(int signal) {
    RemoveStopCleanups();
    ::signal(signal, SIG_DFL);
    raise(signal);  // delivered when the handler returns: the process ends as killed by it
}

}  // namespace

void InstallStopCleanup() {
    struct sigaction action {};
    action.sa_handler = RemoveAndDie;
    sigemptyset(&action.sa_mask);
    for (const int signal : kStopSignals) sigaddset(&action.sa_mask, signal);  // one handler at a time
    for (const int signal : kStopSignals) {
        struct sigaction old {};
        if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler != SIG_IGN) sigaction(signal, &action, nullptr);
    }
}

}  // namespace tavorin
