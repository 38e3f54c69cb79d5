// Converting the pending books of a batch, each in a child process of its
// own that runs the single-book conversion, up to -j children at once.
#pragma once

#include <string>

#include "app/batch_options.h"
#include "app/batch_plan.h"
#include "app/batch_report.h"
#include "app/batch_stop.h"

namespace tavorin {

// Folders the batch made for itself; both are removed by the batch at the end.
struct BatchFolders {
    std::string staging;  // inside the output folder: children write here, finished books are renamed out
    std::string work;     // inside the temporary folder: each child's temporary files, extracted members
};

// Removes a folder with everything in it; a folder that is not there (or an
// empty path) is no error.
void RemoveTree(const std::string& path);

// Runs every pending book of the plan and records its result. Returns 0, or
// the stop signal when the batch was stopped: then every child has been
// killed and its partial files removed, and the books not done are marked
// interrupted.
int RunBooks(const BatchOptions& options, const BatchFolders& folders, const StopHandling& stop, BatchPlan& plan,
             BatchProgress& progress);

}  // namespace tavorin
