// How a run ends: the exit codes, the one table of their messages, and the
// status that carries an exit code and its message up to the front end,
// which prints it once.
#pragma once

#include <string>
#include <string_view>

#include "text/console.h"

namespace tavorin {

// Process exit codes (a batch stopped by a signal also ends with 128 + its
// number).
enum class ExitCode : int {
    kExitDone = 0,
    kExitNoPaths = 1,          // input or output path missing
    kExitNoTempDir = 2,        // no folder for temporary files
    kExitNoSettings = 3,       // settings file missing
    kExitCannotOpenInput = 4,
    kExitArchiveCount = 5,     // archive does not hold exactly one file
    kExitCannotExtract = 6,
    kExitCannotOpenExtracted = 7,
    kExitExtractedNotFb2 = 8,
    kExitNotFb2 = 9,
    kExitBadHeader = 10,       // end of file inside the description
    kExitCannotWriteOutput = 11,
    kExitReadError = 12,       // text invalid in its encoding, or a read failure after the input is open
    kExitBooksFailed = 13,     // a batch in which some book failed
    kExitBookTooLarge = 14,    // the book does not fit the LRF format's fields
    // A batch's child that could not be started, as a shell gives a command
    // it cannot run: no code of the converter's own.
    kExitCannotStart = 127,
};
using enum ExitCode;

// The code as the process returns it.
constexpr int ExitNumber(ExitCode code) { return static_cast<int>(code); }

// The message of a code: its fixed text followed by `detail` (a path, what
// failed); the detail alone for a code without a text (13).
std::string ExitMessage(ExitCode code, std::string_view detail = {});

// The outcome of a step that can end a run: done, or the code and message
// that end it.
struct [[nodiscard]] Status {
    ExitCode code = kExitDone;
    std::string message;

    bool ok() const { return code == kExitDone; }
};

// The status of a code with its message.
inline Status Fail(ExitCode code, std::string_view detail = {}) { return {code, ExitMessage(code, detail)}; }

// Prints the message that ends a conversion, placed as its code has it: on
// a line of its own after the progress line, over it, or alone.
void PrintStatus(Console& console, const Status& status);

}  // namespace tavorin
