// A batch: converting a whole library (a folder, or a zip archive of many
// FB2 files) into a folder of LRF books, one child process per book.
#pragma once

#include "app/batch_options.h"
#include "text/console.h"

namespace tavorin {

// Runs the batch and returns the exit code: 0 when no book failed, 13 when
// some did, 128 + the signal number when SIGINT, SIGTERM or SIGHUP stopped it, and
// the single-book codes for a problem of the batch itself (4 the library
// cannot be opened, 11 the output folder or the report cannot be written).
// Its progress, summary and messages go to `console`.
int RunBatch(BatchOptions options, Console& console);

}  // namespace tavorin
