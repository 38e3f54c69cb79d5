// Stop signals of a batch: a handler that only records the signal.
#include "app/batch_stop.h"

#include <cstddef>
#include <iterator>

namespace tavorin {

namespace {

// The one process-wide variable of the batch: a signal handler can only
// hand its news over through a flag of this type.
volatile sig_atomic_t g_stopSignal = 0;

void RecordStop(int signal) {
    if (g_stopSignal == 0) g_stopSignal = signal;
}

}  // namespace

void BeginStopHandling(StopHandling& handling) {
    g_stopSignal = 0;
    struct sigaction action {};
    action.sa_handler = RecordStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: the wait returns at once with EINTR
    sigset_t stops;
    sigemptyset(&stops);
    for (size_t i = 0; i < std::size(kStopSignals); ++i) {
        sigaction(kStopSignals[i], &action, &handling.oldStops[i]);
        // A batch started in the background by a shell ignores SIGINT, one
        // under nohup SIGHUP, and keeps doing so.
        if (handling.oldStops[i].sa_handler == SIG_IGN) sigaction(kStopSignals[i], &handling.oldStops[i], nullptr);
        sigaddset(&stops, kStopSignals[i]);
    }
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, &handling.oldPipe);
    pthread_sigmask(SIG_BLOCK, &stops, &handling.oldMask);
    handling.waitMask = handling.oldMask;
    for (const int signal : kStopSignals) sigdelset(&handling.waitMask, signal);
}

void EndStopHandling(const StopHandling& handling) {
    for (size_t i = 0; i < std::size(kStopSignals); ++i) sigaction(kStopSignals[i], &handling.oldStops[i], nullptr);
    sigaction(SIGPIPE, &handling.oldPipe, nullptr);
    pthread_sigmask(SIG_SETMASK, &handling.oldMask, nullptr);
}

int StopSignal() { return g_stopSignal; }

}  // namespace tavorin
