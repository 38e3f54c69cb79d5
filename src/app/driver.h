// The conversion driver: runs the pipeline of one conversion from input
// detection to the written book, with its progress lines and the clean-up of
// temporary files.
#pragma once

#include <string>

#include "app/run_state.h"
#include "fb2/conversion.h"
#include "text/exit_codes.h"

namespace tavorin {

// Runs one conversion of the book named by `run` into the conversion `cv`
// (settings already read) and removes its temporary files. Returns the exit
// code and the message that ends the console output (" DONE " when the book
// is written), for the caller to print; read failures the reader throws pass
// through.
Status RunConversion(fb2::Conversion& cv, RunState& run);

}  // namespace tavorin
