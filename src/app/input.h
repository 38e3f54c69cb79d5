// Input detection: FB2 or zip archive, extraction of the archive's single
// member into a private temporary folder, and the choice of text encoding.
#pragma once

#include "app/run_state.h"
#include "fb2/conversion.h"
#include "text/exit_codes.h"

namespace tavorin {

// Leaves cv.reader open on run.workFilePath, or returns why it cannot (codes 4 to 9).
Status DetectInput(fb2::Conversion& cv, RunState& run);

// Deletes the extracted file and the run's private folder, if any.
void RemoveWorkFiles(RunState& run);

}  // namespace tavorin
