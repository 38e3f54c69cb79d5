// Start-up of the executable: options and paths, then the library's
// ConvertBook, or a batch. Callable many times in one process (tests,
// benchmarks).
#pragma once

#include <string>
#include <vector>

#include "text/console.h"

namespace tavorin {

// Runs the single-book program on the arguments (argv[0] is the program
// name), printing on `console`, and returns the process exit code. Never throws.
int RunConverter(int argc, char** argv, ConsoleSink& console);
int RunConverter(const std::vector<std::string>& args, ConsoleSink& console);

// What the executable's start-up knows of its own run.
struct ProgramStart {
    std::string selfPath;    // the executable's file, which a batch's children run
    std::string resultFile;  // where the run writes its exit code and message at the end; empty for nowhere
};

// The program as its executable runs it: RunConverter, except that a call
// that asks for a whole library runs a batch, whose children run
// `start.selfPath` with the single-book arguments.
int RunProgram(int argc, char** argv, const ProgramStart& start, ConsoleSink& console);

}  // namespace tavorin
