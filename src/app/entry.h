// Start-up of the executable: options and paths, then the library's
// ConvertBook. Callable many times in one process (tests, fuzzers, benchmarks).
#pragma once

#include <string>
#include <vector>

#include "text/console.h"

namespace tavorin {

// Runs the whole program on the arguments (argv[0] is the program name),
// printing on `console`, and returns the process exit code. Never throws.
int RunConverter(int argc, char** argv, ConsoleSink& console);
int RunConverter(const std::vector<std::string>& args, ConsoleSink& console);

}  // namespace tavorin
