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
    size_t total = 0;          // books to convert in this run
    size_t done = 0;
    size_t failed = 0;
    size_t lineWidth = 0;      // of the last line drawn, to blank its rest
    BatchClock::time_point lastDraw;
};

// Counts the books to convert and starts the clock; the progress is shown on `console`.
void StartProgress(BatchProgress& progress, const BatchPlan& plan, Console& console);

// A book has been converted or has failed: redraws the line on a terminal,
// prints a plain line with the book's result otherwise.
void ShowBookDone(BatchProgress& progress, const BatchBook& book);

// Redraws the terminal line, at most twice a second (the elapsed time moves
// on); nothing otherwise.
void RedrawProgress(BatchProgress& progress);

// The summary: counts, time, and each failed, refused or colliding book with
// its exit code and message; `stopSignal` is not 0 when the batch was stopped.
void PrintSummary(const BatchPlan& plan, const BatchProgress& progress, int stopSignal);

// Writes the CSV report: one header row, then one row per book in the
// plan's order. Returns false when the file cannot be written.
bool WriteCsvReport(const std::string& path, const BatchPlan& plan);

}  // namespace tavorin
