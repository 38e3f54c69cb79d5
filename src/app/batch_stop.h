// Stopping a batch on SIGINT or SIGTERM: the signals are blocked while the
// batch works and only let through while it waits for its children, so a
// stop is noticed at once and never in the middle of finishing a book.
#pragma once

#include <signal.h>

namespace tavorin {

// The signal dispositions and mask in force before the batch; restored by
// EndStopHandling.
struct StopHandling {
    struct sigaction oldInt {};
    struct sigaction oldTerm {};
    sigset_t oldMask {};
    sigset_t waitMask {};  // the mask to wait with: the old one without SIGINT and SIGTERM
};

// Installs the handlers and blocks both signals.
void BeginStopHandling(StopHandling& handling);
void EndStopHandling(const StopHandling& handling);

// The number of the first stop signal received, 0 while none was.
int StopSignal();

}  // namespace tavorin
