// The batch command line: deciding that a call is a batch and reading the
// batch's own options.
#include "app/batch_options.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "app/batch_plan.h"
#include "archive/zip_archive.h"

namespace tavorin {

namespace {

bool StatPath(const std::string& path, struct stat& st) { return !path.empty() && stat(path.c_str(), &st) == 0; }

bool ParseJobs(const std::string& text, int& jobs) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < 1 || value > 1024) return false;
    jobs = static_cast<int>(value);
    return true;
}

bool ParseSeconds(const std::string& text, double& seconds) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(value >= 0) || value > 1e7) return false;
    seconds = value;
    return true;
}

}  // namespace

bool ParseMegabytes(const std::string& text, uint64_t& bytes) {
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (text.empty() || text[0] < '0' || text[0] > '9' || *end != '\0' || errno != 0 || value > (1ull << 40)) {
        return false;
    }
    bytes = value << 20;
    return true;
}

uint64_t DefaultMemoryLimit() {
    const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0) return 0;
    return static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize) / 2;
}

bool IsBatchRequest(const std::string& inputPath, const std::string& outputPath) {
    struct stat in {}, out {};
    if (!StatPath(inputPath, in)) return false;
    const bool outExists = StatPath(outputPath, out);
    if (S_ISDIR(in.st_mode)) return true;
    const bool namesFolder = outputPath.back() == '/' || (outExists && S_ISDIR(out.st_mode));
    return S_ISREG(in.st_mode) && namesFolder && HoldsSeveralBooks(inputPath);
}

BatchOptionError ScanBatchOptions(const std::vector<std::string>& args, BatchOptions& options) {
    const long cores = sysconf(_SC_NPROCESSORS_ONLN);
    options.jobs = cores > 0 ? static_cast<int>(cores) : 1;
    options.memoryLimit = DefaultMemoryLimit();
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-f") {
            options.force = true;
            continue;
        }
        if (arg != "-j" && arg != "-T" && arg != "--report" && arg != "--names" && arg != "--member-limit" &&
            arg != "--memory-limit" && arg != "-s" && arg != "-t" && arg != "-i" && arg != "-o") {
            return {"Error: unknown option " + arg, true};
        }
        const std::string value = i + 1 < args.size() ? args[i + 1] : std::string();
        ++i;
        if (arg == "-j" && !ParseJobs(value, options.jobs)) return {"Error: -j needs a number of jobs from 1 to 1024"};
        if (arg == "-T" && !ParseSeconds(value, options.timeLimit)) {
            return {"Error: -T needs a number of seconds (0 for no limit)"};
        }
        if (arg == "--member-limit" && !ParseMegabytes(value, options.memberLimit)) {
            return {"Error: --member-limit needs a number of MB (0 for no limit)"};
        }
        if (arg == "--memory-limit" && !ParseMegabytes(value, options.memoryLimit)) {
            return {"Error: --memory-limit needs a number of MB (0 for no limit)"};
        }
        if (arg == "--report") {
            if (value.empty()) return {"Error: --report needs a file name"};
            options.reportPath = value;
        }
        if (arg == "--names") {
            if (!IsKnownNameEncoding(value)) return {"Error: --names needs a code page the system knows, as cp866"};
            options.nameEncoding = value;
        }
    }
    return {};
}

}  // namespace tavorin
