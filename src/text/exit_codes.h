// Exit codes of a conversion and their messages, shared by every layer that
// can end a conversion (settings file, input, writer) and by the front ends.
#pragma once

#include <string_view>

namespace tavorin {

// Process exit codes. The message of codes 4 to 10 and 12 is printed by the
// driver after clean-up; the others are printed where they arise.
enum ExitCode : int {
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
};

// Message of a conversion error code (4 to 10); empty for other codes.
std::string_view ErrorMessage(int code);

// Thrown to end the conversion at once with an exit code, after the thrower
// has printed its own message (settings file missing, output not writable).
struct RunExit {
    int code;
};

}  // namespace tavorin
