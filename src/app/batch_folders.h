// The folders a batch makes for itself (its staging folder inside the output
// folder, its work folder inside the temporary folder) and the removal of
// those that earlier batches left behind when they were killed. Each folder
// holds a file "lock" that its batch keeps locked (flock) while it runs: a
// folder whose lock can be taken belongs to no running batch.
#pragma once

#include <string>

namespace tavorin {

struct BatchFolder {
    std::string path;  // empty when none was made
    int lockFd = -1;   // holds the lock while the batch runs
};

// Makes "<parent>/<prefix>XXXXXX" with its lock taken; false when it cannot.
bool MakeBatchFolder(const std::string& parent, const char* prefix, BatchFolder& folder);

// Removes the folder with everything in it and lets its lock go.
void RemoveBatchFolder(BatchFolder& folder);

// Removes every "<parent>/<prefix>*" folder of a batch that no longer runs.
void RemoveAbandonedFolders(const std::string& parent, const char* prefix);

}  // namespace tavorin
