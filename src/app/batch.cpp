// A batch from start to end: plan the books, open the report, make the
// batch's own folders (removing those of killed batches), run the children,
// remove the folders, print the summary, write the report.
#include "app/batch.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app/batch_folders.h"
#include "app/batch_plan.h"
#include "app/batch_report.h"
#include "app/batch_runner.h"
#include "app/batch_stop.h"
#include "text/exit_codes.h"

namespace tavorin {

namespace fs = std::filesystem;

namespace {

constexpr char kStagingPrefix[] = ".tavorin-batch-";  // inside the output folder
constexpr char kWorkPrefix[] = "tavorin-batch-";      // inside the temporary folder

bool AnyFailure(const BatchPlan& plan) {
    return std::any_of(plan.books.begin(), plan.books.end(),
                       [](const BatchBook& book) { return ResultInfo(book.result).countsAsFailure; });
}

// Prints why the batch cannot go on (not over a progress line: none is
// shown yet) and returns its code.
int Refuse(Console& console, const Status& status) {
    console.Line(status.message);
    return ExitNumber(status.code);
}

// The batch's own folders, made after those of killed batches are removed.
Status MakeFolders(const BatchOptions& options, BatchFolder& staging, BatchFolder& work) {
    const std::string temp = options.tempFolder.substr(0, options.tempFolder.size() - 1);
    RemoveAbandonedFolders(options.outputFolder, kStagingPrefix);
    RemoveAbandonedFolders(temp, kWorkPrefix);
    if (!MakeBatchFolder(options.outputFolder, kStagingPrefix, staging)) {
        return Fail(kExitCannotWriteOutput, options.outputFolder);
    }
    if (!MakeBatchFolder(temp, kWorkPrefix, work)) {
        RemoveBatchFolder(staging);
        return Fail(kExitNoTempDir);
    }
    return {};
}

int Run(BatchOptions& options, const StopHandling& stop, Console& console) {
    options.outputFolder = fs::absolute(options.outputFolder).lexically_normal().string();
    while (options.outputFolder.size() > 1 && options.outputFolder.back() == '/') options.outputFolder.pop_back();
    std::error_code ec;
    if (fs::exists(options.outputFolder, ec) && !fs::is_directory(options.outputFolder, ec)) {
        return Refuse(console, Fail(kExitCannotWriteOutput, options.outputFolder +
                                    ": a file, not a folder; the books of a library go into a folder"));
    }

    BatchPlan plan;
    if (const std::string message = PlanBooks(options, plan); !message.empty()) {
        return Refuse(console, {kExitCannotOpenInput, message});
    }
    ResolveOutputs(options, plan);

    fs::create_directories(options.outputFolder, ec);
    ReportFile report;
    if (!options.reportPath.empty() && !OpenReport(options.reportPath, report)) {
        return Refuse(console, Fail(kExitCannotWriteOutput, options.reportPath));
    }
    BatchFolder staging, work;
    if (const Status status = MakeFolders(options, staging, work); !status.ok()) {
        DropReport(report);
        return Refuse(console, status);
    }

    BatchProgress progress;
    StartProgress(progress, plan, console);
    const int stopSignal = RunBooks(options, {staging.path, work.path}, stop, plan, progress);
    RemoveBatchFolder(staging);
    RemoveBatchFolder(work);

    PrintSummary(plan, progress, stopSignal);
    if (!options.reportPath.empty() && !FinishReport(report, plan)) {
        return Refuse(console, Fail(kExitCannotWriteOutput, options.reportPath));
    }
    if (stopSignal != 0) return 128 + stopSignal;
    return ExitNumber(AnyFailure(plan) ? kExitBooksFailed : kExitDone);
}

}  // namespace

int RunBatch(BatchOptions options, Console& console) {
    // A standard stream that was closed gets /dev/null, so that no file the
    // batch opens (its report, a lock) takes its number and its writes.
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) < 0 && open("/dev/null", O_RDWR) < 0) break;
    }
    StopHandling stop;
    BeginStopHandling(stop);
    const int code = Run(options, stop, console);
    EndStopHandling(stop);
    return code;
}

}  // namespace tavorin
