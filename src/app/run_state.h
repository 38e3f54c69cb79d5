// The files of one run: the paths chosen at start-up and those the driver
// finds on the way (the file actually read, the run's private folder). One
// record per conversion, passed to the functions that use it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tavorin {

// Name of the file extracted from an archive inside the run's private folder.
inline constexpr std::string_view kTempFileName = "forLRFconversion";

struct RunState {
    std::string settingsPath;
    std::string tempFolder;     // always ends in '/' once start-up is done
    std::string inputPath;
    std::string outputPath;
    uint64_t memberLimit = 0;   // most bytes an archive's member may inflate to; 0 for no limit
    int64_t memberIndex = -1;   // the entry of a many-book archive to convert (a batch's child); -1: the single file

    int inputKind = 0;          // 1 archive, 0 XML, -1 neither
    std::string workFilePath;   // the file actually read
    std::string privateTempDir; // per-run folder holding the extracted file; empty when none
    int stopCleanupSlot = -1;   // its registration for removal on a stop signal
};

}  // namespace tavorin
