// Stopping a batch on SIGINT, SIGTERM or SIGHUP: the signals are blocked
// while the batch works and only let through while it waits for its
// children, so a stop is noticed at once and never in the middle of
// finishing a book. SIGPIPE is ignored meanwhile: a closed standard output
// (a pipe to `head`, a closed terminal) only means nobody is watching.
#pragma once

#include <signal.h>

#include "text/stop_cleanup_registry.h"

namespace tavorin {

// The signal dispositions and mask in force before the batch; restored by
// EndStopHandling.
struct StopHandling {
    struct sigaction oldStops[sizeof kStopSignals / sizeof kStopSignals[0]] {};
    struct sigaction oldPipe {};
    sigset_t oldMask {};
    sigset_t waitMask {};  // the mask to wait with: the old one without the stop signals
};

// Installs the handlers, ignores SIGPIPE and blocks the stop signals.
void BeginStopHandling(StopHandling& handling);
void EndStopHandling(const StopHandling& handling);

// The number of the first stop signal received, 0 while none was.
int StopSignal();

}  // namespace tavorin
