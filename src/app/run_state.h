// Run-wide state of one conversion: the paths chosen at start-up, the error
// code, the progress counters shared by the driver, the body conversion and
// the writer, and the exit codes with their messages.
#pragma once

#include <cstdint>
#include <string>
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
    kExitBadHeader = 10,       // end of file before "</description"
    kExitCannotWriteOutput = 11,
    kExitReadError = 12,       // invalid UTF-8 or a read failure after the input is open
    kExitBooksFailed = 13,     // a batch in which some book failed
};

// Message of a conversion error code (4 to 10); empty for other codes.
std::string_view ErrorMessage(int code);

// Thrown to end the run at once with an exit code, after the thrower has
// printed its own message (settings file missing, output not writable).
struct RunExit {
    int code;
};

// Name of the file extracted from an archive inside the run's private folder.
inline constexpr std::string_view kTempFileName = "forLRFconversion";

struct RunState {
    // Start-up (command line).
    std::string settingsPath;
    std::string tempFolder;     // always ends in '/' once start-up is done
    std::string inputPath;
    std::string outputPath;

    // Driver.
    int errorCode = 0;
    int inputKind = 0;          // 1 archive, 0 XML, -1 neither
    std::string workFilePath;   // the file actually read
    std::string privateTempDir; // per-run folder holding the extracted file; empty when none
    uint32_t textEstimate = 0;  // bytes of the file minus the bytes of decoded images
    int progressUnit = 0;       // characters of body text per progress step
    int progressPercent = 0;    // last percentage printed
    int imageCount = 0;         // image streams registered
};

// The one run state; reset by ResetRunState at the start of every run.
extern RunState g_run;

void ResetRunState();

// Rounds to the nearest integer, halves to even (used for every rounded value).
int64_t RoundHalfEven(double value);

// Sets the shared progress percentage and prints "\r" + percent + "%".
void SetProgress(int percent);

}  // namespace tavorin
