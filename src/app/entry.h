// Start-up of the converter: options, paths, temporary folder, settings, and
// the conversion driver. Callable many times in one process (tests, fuzzers).
#pragma once

#include <string>
#include <vector>

namespace tavorin {

// Runs the whole program on the arguments (argv[0] is the program name) and
// returns the process exit code. Never throws.
int RunConverter(int argc, char** argv);
int RunConverter(const std::vector<std::string>& args);

}  // namespace tavorin
