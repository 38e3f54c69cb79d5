// How a conversion ends: the exit codes of the executable and of ConvertBook,
// with the numbers the README lists under "Exit codes". Part of the library's
// public interface; the converter uses these names itself.
#pragma once

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
    // Text invalid in its encoding, a read failure after the input is open,
    // memory exhausted, or an exception from the caller's sink or progress
    // callback (the message says which).
    kExitReadError = 12,
    kExitBooksFailed = 13,     // a batch in which some book failed
    kExitBookTooLarge = 14,    // the book does not fit the LRF format's fields
    // A batch's child that could not be started, as a shell gives a command
    // it cannot run: no code of the converter's own.
    kExitCannotStart = 127,
};

}  // namespace tavorin
