// The conversion driver: runs the pipeline of one conversion from input
// detection to the written book, with progress lines, the error table and
// clean-up of temporary files.
#pragma once

#include <string>

#include "app/run_state.h"
#include "fb2/conversion.h"

namespace tavorin {

// The exit code of a conversion and the message that ends its console output.
struct ConversionOutcome {
    int exitCode = 0;
    std::string message;
};

// Runs one conversion of the book named by `run` into the conversion `cv`
// (settings already read) and removes its temporary files.
ConversionOutcome RunConversion(fb2::Conversion& cv, RunState& run);

}  // namespace tavorin
