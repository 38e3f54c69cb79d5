// Stop signals of a batch: a handler that only records the signal.
#include "app/batch_stop.h"

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
    sigaction(SIGINT, &action, &handling.oldInt);
    sigaction(SIGTERM, &action, &handling.oldTerm);
    // A batch started in the background by a shell ignores SIGINT, and keeps doing so.
    if (handling.oldInt.sa_handler == SIG_IGN) sigaction(SIGINT, &handling.oldInt, nullptr);
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    sigprocmask(SIG_BLOCK, &stops, &handling.oldMask);
    handling.waitMask = handling.oldMask;
    sigdelset(&handling.waitMask, SIGINT);
    sigdelset(&handling.waitMask, SIGTERM);
}

void EndStopHandling(const StopHandling& handling) {
    sigaction(SIGINT, &handling.oldInt, nullptr);
    sigaction(SIGTERM, &handling.oldTerm, nullptr);
    sigprocmask(SIG_SETMASK, &handling.oldMask, nullptr);
}

int StopSignal() { return g_stopSignal; }

}  // namespace tavorin
