// The batch command line: whether a call is a batch (a whole library) rather
// than one book, and the options only a batch reads (-j, -f, -T, --report).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/zip_archive.h"

namespace tavorin {

struct BatchOptions {
    std::string settingsPath;   // absolute; checked to exist before the batch starts
    std::string tempFolder;     // ends in '/'
    std::string inputPath;      // the library folder or the many-book zip archive
    std::string outputFolder;   // absolute, without a trailing '/'
    std::string selfPath;       // the executable each book's child process runs
    int jobs = 0;               // child processes at once
    bool force = false;         // convert books whose LRF is up to date as well
    double timeLimit = 300;     // seconds a child may run; 0 means no limit
    std::string reportPath;     // CSV report; empty for none
    std::string nameEncoding;   // code page of zip member names not marked UTF-8; empty for CP437
    uint64_t memberLimit = kDefaultMemberLimit;  // bytes an archive member may inflate to; 0 for no limit
    uint64_t memoryLimit = 0;   // bytes of address space a child may use; 0 for no limit
};

// A number of MB (whole, 0 allowed) as bytes; false when `text` is none.
bool ParseMegabytes(const std::string& text, uint64_t& bytes);

// The default memory limit of a child: half the machine's memory, so that
// two children that both reach it still fit.
uint64_t DefaultMemoryLimit();

// True when the call converts a library: the input is a folder, or the input
// is a zip archive holding more than one FB2 file and -o names a folder (ends
// in '/' or is an existing folder). Every other call is the single-book
// conversion, unchanged.
bool IsBatchRequest(const std::string& inputPath, const std::string& outputPath);

// What is wrong with a batch's command line.
struct BatchOptionError {
    std::string message;  // empty when nothing is
    bool showUsage = false;  // an argument that is no option of a batch
};

// Reads -j, -f, -T, --report, --names, --member-limit and --memory-limit. Options are exact words and the
// argument after -j, -T, --report and --names is their value, as with -s, -t,
// -i and -o; any other argument is a mistake.
BatchOptionError ScanBatchOptions(const std::vector<std::string>& args, BatchOptions& options);

}  // namespace tavorin
