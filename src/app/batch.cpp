// A batch from start to end: plan the books, make the batch's own folders,
// run the children, remove the folders, print the summary, write the report.
#include "app/batch.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app/batch_plan.h"
#include "app/batch_report.h"
#include "app/batch_runner.h"
#include "app/batch_stop.h"
#include "text/exit_codes.h"

namespace tavorin {

namespace fs = std::filesystem;

namespace {

// A fresh folder "<parent>/<prefix>XXXXXX"; empty when it cannot be made.
std::string MakeFolder(const std::string& parent, const char* prefix) {
    std::string pattern = parent + "/" + prefix + "XXXXXX";
    return mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

bool AnyFailure(const BatchPlan& plan) {
    return std::any_of(plan.books.begin(), plan.books.end(),
                       [](const BatchBook& book) { return ResultInfo(book.result).countsAsFailure; });
}

int Run(BatchOptions& options, const StopHandling& stop, Console& console) {
    options.outputFolder = fs::absolute(options.outputFolder).lexically_normal().string();
    while (options.outputFolder.size() > 1 && options.outputFolder.back() == '/') options.outputFolder.pop_back();

    BatchPlan plan;
    if (const std::string message = PlanBooks(options, plan); !message.empty()) {
        console.Line(message);
        return kExitCannotOpenInput;
    }
    ResolveOutputs(options, plan);

    std::error_code ec;
    fs::create_directories(options.outputFolder, ec);
    BatchFolders folders;
    folders.staging = ec ? std::string() : MakeFolder(options.outputFolder, ".tavorin-batch-");
    if (folders.staging.empty()) {
        console.Line("Cannot write outputfile:" + options.outputFolder);
        return kExitCannotWriteOutput;
    }
    folders.work = MakeFolder(options.tempFolder.substr(0, options.tempFolder.size() - 1), "tavorin-batch-");
    if (folders.work.empty()) {
        RemoveTree(folders.staging);
        console.Line("Error: temp dir cannot be set");
        return kExitNoTempDir;
    }

    BatchProgress progress;
    StartProgress(progress, plan, console);
    const int stopSignal = RunBooks(options, folders, stop, plan, progress);
    RemoveTree(folders.staging);
    RemoveTree(folders.work);

    PrintSummary(plan, progress, stopSignal);
    if (!options.reportPath.empty() && !WriteCsvReport(options.reportPath, plan)) {
        console.Line("Cannot write outputfile:" + options.reportPath);
        return kExitCannotWriteOutput;
    }
    if (stopSignal != 0) return 128 + stopSignal;
    return AnyFailure(plan) ? kExitBooksFailed : kExitDone;
}

}  // namespace

int RunBatch(BatchOptions options, Console& console) {
    StopHandling stop;
    BeginStopHandling(stop);
    const int code = Run(options, stop, console);
    EndStopHandling(stop);
    return code;
}

}  // namespace tavorin
