// The files and folders a stop signal must not leave behind: the private
// temporary folder of an archive's extraction and the temporary file of a
// book being saved. Whoever makes one registers it and drops it once it is
// gone; the stop-signal handler removes what is registered at that moment.
#pragma once

#include <signal.h>

#include <string>

namespace tavorin {

// The signals that stop a conversion or a batch.
inline constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Holds the stop signals back on this thread while it lives: what is made
// and registered meanwhile cannot be left behind by a signal in between.
class StopSignalsHeld {
public:
    StopSignalsHeld();
    ~StopSignalsHeld();
    StopSignalsHeld(const StopSignalsHeld&) = delete;
    StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;

private:
    sigset_t old_;
};

// Registers the folder and the file that may lie in it (either may be empty)
// for removal when a stop signal ends the process. Returns the slot to drop
// it by; -1 when every slot is taken (then only the owner's own clean-up
// removes them).
int AddStopCleanup(const std::string& folder, const std::string& file);

// The folder and file are gone (or about to be removed by their owner): a
// stop signal leaves them alone from now on.
void DropStopCleanup(int slot);

// Removes every registered file, then its folder. Async-signal-safe: only
// unlink and rmdir are called, on paths published whole.
void RemoveStopCleanups();

}  // namespace tavorin
