// Removing the private temporary folders of the conversions in flight when
// SIGINT, SIGTERM or SIGHUP ends the process: the single-book executable
// installs a handler that removes them and then dies of the signal, as it
// would have without the handler. What it removes is registered in
// text/stop_cleanup_registry.h by the code that makes it.
#pragma once

#include "text/stop_cleanup_registry.h"

namespace tavorin {

// Installs the handler for the three stop signals; a signal the process was
// started with ignored (nohup, a shell's background job) stays ignored.
void InstallStopCleanup();

}  // namespace tavorin
