// The conversion driver: runs the pipeline of one conversion from input
// detection to the written book, with progress lines, the error table and
// clean-up of temporary files.
#pragma once

namespace tavorin {

// Empties every store, list and counter that the conversion keeps between
// calls and restores the built-in settings.
void ResetConversionState();

// Runs one conversion on the run state set up by start-up; returns the exit code.
int RunConversion();

}  // namespace tavorin
