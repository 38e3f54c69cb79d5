// Removing the private temporary folders of the conversions in flight when
// SIGINT, SIGTERM or SIGHUP ends the process: the single-book executable
// installs a handler that removes them and then dies of the signal, as it
// would have without the handler. The folders are registered by the input
// detection that makes them and dropped by the clean-up that removes them.
#pragma once

#include <string>

namespace tavorin {

// Installs the handler for the three stop signals; a signal the process was
// started with ignored (nohup, a shell's background job) stays ignored.
void InstallStopCleanup();

// Registers the folder and the file that may lie in it for removal by the
// handler. Returns the slot to drop it by; -1 when every slot is taken (then
// only the conversion's own clean-up removes it).
int AddStopCleanup(const std::string& folder, const std::string& file);

// The folder is gone (or about to be removed by its owner): the handler
// leaves it alone from now on.
void DropStopCleanup(int slot);

}  // namespace tavorin
