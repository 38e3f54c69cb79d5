// How a run ends: the exit codes, the one table of their messages, and the
// status that carries an exit code and its message up to the front end,
// which prints it once.
#pragma once

#include <string>
#include <string_view>

#include "tavorin/exit_code.h"
#include "text/console.h"

namespace tavorin {

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
