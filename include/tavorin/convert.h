// The converter as a library: one call converts one FB2 book (or a zip
// holding one) into one LRF book, exactly as the tavorin_c executable does.
// Each call has a conversion of its own and prints only to the console sink
// it is given, so calls on several threads at once do not interfere.
#pragma once

#include <string>

#include "tavorin/console_sink.h"

namespace tavorin {

struct ConvertResult {
    int exitCode = 0;     // the executable's exit code (README, "Exit codes")
    std::string message;  // " DONE ", or the error message of the exit code
};

// Converts `inputPath` into `outputPath` with the settings file at
// `settingsPath` (read on top of the built-in values). `tempFolder` holds the
// private folder of an archive's extraction; empty means $TMPDIR, else /tmp,
// else the current folder. Progress ("\r5%" ...) and error lines go to
// `console`. Never throws.
ConvertResult ConvertBook(const std::string& inputPath, const std::string& outputPath, const std::string& settingsPath,
                          const std::string& tempFolder, ConsoleSink& console);

}  // namespace tavorin
