// The converter as a library: one call converts one FB2 book (or a zip
// holding one) into one LRF book, exactly as the tavorin_c executable does.
// Each call has a conversion of its own and prints only to the console sink
// it is given, so calls on several threads at once do not interfere.
#pragma once

#include <optional>
#include <string>

#include "tavorin/console_sink.h"
#include "tavorin/exit_code.h"

namespace tavorin {

// The library's version, the one the executable's usage text shows ("1.4").
const char* LibraryVersion();

struct ConvertResult {
    int exitCode = 0;     // the executable's exit code (README, "Exit codes")
    std::string message;  // " DONE ", or the error message of the exit code

    ExitCode code() const { return static_cast<ExitCode>(exitCode); }
};

// What a conversion is given beside its input, output and console.
struct ConvertOptions {
    // The settings file, read on top of the built-in values ...
    std::string settingsPath;
    // ... or, when set, the text such a file holds (settingsPath is then not read).
    std::optional<std::string> settingsText;
    // Holds the private folder of an archive's extraction; empty means
    // $TMPDIR, else /tmp, else the current folder.
    std::string tempFolder;
    // Called with each percentage the console shows, and with 100 once the
    // book is written; may be empty.
    ProgressCallback progress;
};

// Converts `inputPath` into `outputPath`. Progress ("\r5%" ...) and error
// lines go to `console`. Never throws: an exception from `console`, from the
// progress callback or from the libraries, and memory exhaustion, end the
// conversion with code 12 and a message naming the cause.
ConvertResult ConvertBook(const std::string& inputPath, const std::string& outputPath, const ConvertOptions& options,
                          ConsoleSink& console);

// The same with the settings file at `settingsPath` and the temporary folder
// `tempFolder`, without a progress callback.
ConvertResult ConvertBook(const std::string& inputPath, const std::string& outputPath, const std::string& settingsPath,
                          const std::string& tempFolder, ConsoleSink& console);

}  // namespace tavorin
