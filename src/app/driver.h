// The conversion driver: runs the pipeline of one conversion from input
// detection to the written book, with progress lines, the error table and
// clean-up of temporary files.
#pragma once

#include <string>

#include "app/run_state.h"
#include "settings/conversion_settings.h"
#include "text/console.h"

namespace tavorin {

// The exit code of a conversion and the message that ends its console output.
struct ConversionOutcome {
    int exitCode = 0;
    std::string message;
};

// Runs one conversion of the book named by `run` with the settings (already
// read), printing to `sink`, and removes its temporary files.
ConversionOutcome RunConversion(const ConversionSettings& settings, ConsoleSink& sink, RunState& run);

}  // namespace tavorin
