// The run state, the error messages and the progress line.
#include "app/run_state.h"

#include <cmath>

#include "app/console.h"

namespace tavorin {

RunState g_run;

void ResetRunState() { g_run = RunState{}; }

std::string_view ErrorMessage(int code) {
    switch (code) {
        case kExitCannotOpenInput: return "Error: Cannot open input file";
        case kExitArchiveCount: return "Error: More than 1 file in archive";
        case kExitCannotExtract: return "Error: Cannot extract file to TempDir\\forLRFconversion";
        case kExitCannotOpenExtracted: return "Error: Cannot open extracted file";
        case kExitExtractedNotFb2: return "Error: Extracted file is not fb2 file";
        case kExitNotFb2: return "Error: Not fb2 file";
        case kExitBadHeader: return "Error: Error in fb2 header";
        default: return "";
    }
}

int64_t RoundHalfEven(double value) { return static_cast<int64_t>(std::nearbyint(value)); }

void SetProgress(int percent) {
    g_run.progressPercent = percent;
    ConsoleWrite("\r" + std::to_string(percent) + "%");
}

}  // namespace tavorin
