// Input detection: FB2 or zip archive, extraction of the archive's single
// member into a private temporary folder, and the choice of text encoding.
#pragma once

#include <memory>

#include "app/run_state.h"
#include "text/exit_codes.h"
#include "text/unicode_reader.h"

namespace tavorin {

// Opens `reader` on run.workFilePath, or returns why it cannot (codes 4 to 9).
Status DetectInput(RunState& run, std::unique_ptr<TUnicodeFileReader>& reader);

// Deletes the extracted file and the run's private folder, if any.
void RemoveWorkFiles(RunState& run);

}  // namespace tavorin
