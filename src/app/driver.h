// The conversion driver: runs the pipeline of one conversion from input
// detection to the written book, with its progress lines and the clean-up of
// temporary files.
#pragma once

#include <string>

#include "app/run_state.h"
#include "settings/conversion_settings.h"
#include "text/console.h"
#include "text/exit_codes.h"

namespace tavorin {

// Runs one conversion of the book named by `run` with the settings (already
// read), printing progress to `console`, and removes its temporary files.
// Returns the exit code and the message that ends the console output
// (" DONE " when the book is written), for the caller to print; read
// failures the reader throws pass through. The progress callback gets 100
// once the book is written.
Status RunConversion(const ConversionSettings& settings, Console& console, RunState& run);

}  // namespace tavorin
