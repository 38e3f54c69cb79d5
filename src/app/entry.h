// Start-up of the converter: options, paths, temporary folder, settings, and
// the conversion driver. Callable many times in one process (tests, fuzzers).
#pragma once

#include <string>
#include <vector>

namespace tavorin {

// Runs the single-book program on the arguments (argv[0] is the program
// name) and returns the process exit code. Never throws.
int RunConverter(int argc, char** argv);
int RunConverter(const std::vector<std::string>& args);

// The program as its executable runs it: RunConverter, except that a call
// that asks for a whole library runs a batch, whose children re-run this
// executable (/proc/self/exe) with the single-book arguments.
int RunProgram(int argc, char** argv);

}  // namespace tavorin
