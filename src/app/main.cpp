// Process entry: finds the executable's own file (which a batch's children
// run) and the result file a batch may have named for this run, then runs
// one conversion, or a batch, printing on stdout, and ends with its exit code.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/child_result.h"
#include "app/stdout_sink.h"
#include "app/entry.h"
#include "app/stop_cleanup.h"

namespace {

// The executable by its name, so that a batch's children show as tavorin_c
// in the process table; /proc/self/exe when that file has gone (replaced
// while the batch runs).
std::string SelfPath() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return !ec && std::filesystem::exists(self, ec) ? self.string() : "/proc/self/exe";
}

}  // namespace

int main(int argc, char** argv) {
    // A conversion stopped by SIGINT, SIGTERM or SIGHUP leaves no temporary
    // folder; a batch puts handlers of its own in place while it runs.
    tavorin::InstallStopCleanup();
    tavorin::StdoutSink console;
    tavorin::ProgramStart start;
    start.selfPath = SelfPath();
    if (const char* resultFile = std::getenv(tavorin::kResultFileVariable)) start.resultFile = resultFile;
    return tavorin::RunProgram(argc, argv, start, console);
}
