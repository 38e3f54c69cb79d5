// Run-wide state of one conversion: the paths chosen at start-up, the error
// code, the progress counters shared by the driver, the body conversion and
// the writer, and the exit codes with their messages.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "text/console.h"
#include "text/exit_codes.h"
#include "text/rounding.h"

namespace tavorin {

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
    int imageCount = 0;         // image streams registered
};

// The one run state; reset by ResetRunState at the start of every run.
extern RunState g_run;

void ResetRunState();

// The console of the run (stdout unless redirected by SetConsoleStream).
Console& RunConsole();

// Sets the run console's progress percentage and prints "\r" + percent + "%".
inline void SetProgress(int percent) { RunConsole().SetProgress(percent); }

}  // namespace tavorin
