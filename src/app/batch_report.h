// What a batch tells its user: the progress line while it works, the summary
// at the end with every failed book, and the CSV report.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "app/batch_plan.h"
#include "text/console.h"

namespace tavorin {

using BatchClock = std::chrono::steady_clock;

struct BatchProgress {
    Console* console = nullptr;  // where the line, the book results and the summary go
    bool terminal = false;     // stdout is a terminal: one line redrawn with '\r'
    BatchClock::time_point start;
    size_t total = 0;          // books to convert in this run, and those that failed before it started
    size_t done = 0;
    size_t failed = 0;         // counted as the summary counts them
    size_t lineWidth = 0;      // of the last line drawn, to blank its rest
    BatchClock::time_point lastDraw;
};

// Counts the books to convert and those that already failed (refused,
// colliding, unreadable: they are done and failed from the start) and starts
// the clock; the progress is shown on `console`.
void StartProgress(BatchProgress& progress, const BatchPlan& plan, Console& console);

// A book has been converted or has failed: redraws the line on a terminal,
// prints a plain line with the book's result otherwise.
void ShowBookDone(BatchProgress& progress, const BatchBook& book);

// Redraws the terminal line, at most twice a second (the elapsed time moves
// on); nothing otherwise.
void RedrawProgress(BatchProgress& progress);

// The summary: counts, time, and each failed, refused, colliding or
// unreadable book with its exit code and message, then the counts once more
// below a list; `stopSignal` is not 0 when the batch was stopped.
void PrintSummary(const BatchPlan& plan, const BatchProgress& progress, int stopSignal);

// The CSV report on its way: a file made beside its final name before the
// first book, written and renamed into place at the end, so that a report
// that cannot be written fails at once and a failed write never destroys an
// older report.
struct ReportFile {
    std::string path;      // the final name
    std::string partPath;  // the file written; empty when none is open
    int fd = -1;
};

// Makes the file beside `path`; false when it cannot be made.
bool OpenReport(const std::string& path, ReportFile& report);

// Writes one header row, then one row per book in the plan's order, and
// renames the file into place. Returns false when it cannot; then the file
// is removed and the older report, if any, is left as it was.
bool FinishReport(ReportFile& report, const BatchPlan& plan);

// Removes the file of a report that is not finished.
void DropReport(ReportFile& report);

}  // namespace tavorin
