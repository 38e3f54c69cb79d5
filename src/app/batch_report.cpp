// The batch's progress line, summary and CSV report.
#include "app/batch_report.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>


namespace tavorin {

namespace {

std::string Clock(double seconds) {
    const long total = static_cast<long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
    return text;
}

double ElapsedSeconds(const BatchProgress& progress) {
    return std::chrono::duration<double>(BatchClock::now() - progress.start).count();
}

// "12/500 books, 1 failed, 0:00:05 elapsed, about 0:03:20 left"
std::string ProgressText(const BatchProgress& progress) {
    const double elapsed = ElapsedSeconds(progress);
    std::string text = std::to_string(progress.done) + "/" + std::to_string(progress.total) + " books, " +
                       std::to_string(progress.failed) + " failed, " + Clock(elapsed) + " elapsed";
    if (progress.done > 0 && progress.done < progress.total) {
        const double left = elapsed / static_cast<double>(progress.done) *
                            static_cast<double>(progress.total - progress.done);
        text += ", about " + Clock(left) + " left";
    }
    return text;
}

void DrawLine(BatchProgress& progress) {
    std::string line = ProgressText(progress);
    const size_t width = line.size();
    if (width < progress.lineWidth) line.append(progress.lineWidth - width, ' ');
    progress.lineWidth = width;
    progress.lastDraw = BatchClock::now();
    progress.console->Write("\r" + line);
}

// RFC 4180: a field holding a comma, a quote or a line break is quoted, and
// its quotes doubled.
std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

bool IsConversion(BookResult result) { return result == BookResult::kConverted || result == BookResult::kFailed; }

}  // namespace

void StartProgress(BatchProgress& progress, const BatchPlan& plan, Console& console) {
    progress = BatchProgress{};
    progress.console = &console;
    progress.terminal = isatty(STDOUT_FILENO) == 1;
    progress.start = BatchClock::now();
    for (const BatchBook& book : plan.books) progress.total += book.result == BookResult::kPending ? 1 : 0;
}

void ShowBookDone(BatchProgress& progress, const BatchBook& book) {
    ++progress.done;
    if (book.result == BookResult::kFailed) ++progress.failed;
    if (progress.terminal) {
        DrawLine(progress);
        return;
    }
    progress.console->Line(ProgressText(progress) + ": " + std::string(ResultInfo(book.result).word) + " " +
                           book.shownPath);
}

void RedrawProgress(BatchProgress& progress) {
    if (progress.terminal && BatchClock::now() - progress.lastDraw >= std::chrono::milliseconds(500)) {
        DrawLine(progress);
    }
}

void PrintSummary(const BatchPlan& plan, const BatchProgress& progress, int stopSignal) {
    size_t counts[std::size(kResultTable)] = {};
    for (const BatchBook& book : plan.books) ++counts[static_cast<size_t>(book.result)];
    const auto count = [&](BookResult result) { return counts[static_cast<size_t>(result)]; };
    if (progress.terminal && progress.lineWidth > 0) progress.console->Line("");
    if (stopSignal != 0)
        progress.console->Line("Stopped by signal " + std::to_string(stopSignal) + ": finished books are kept");
    const size_t skipped = count(BookResult::kUpToDate) + count(BookResult::kNotABook);
    const size_t failed = count(BookResult::kFailed) + count(BookResult::kRefused) + count(BookResult::kCollision);
    std::string line = "Converted " + std::to_string(count(BookResult::kConverted)) + ", skipped " +
                       std::to_string(skipped) + " (" + std::to_string(count(BookResult::kUpToDate)) +
                       " up to date, " + std::to_string(count(BookResult::kNotABook)) + " not books), failed " +
                       std::to_string(failed);
    if (count(BookResult::kInterrupted) > 0) {
        line += ", not done " + std::to_string(count(BookResult::kInterrupted) + count(BookResult::kPending));
    }
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", ElapsedSeconds(progress));
    progress.console->Line(line + ", in " + seconds + " s");
    for (const BatchBook& book : plan.books) {
        const ResultRow& row = ResultInfo(book.result);
        if (!row.countsAsFailure) continue;
        std::string entry = "  " + book.shownPath + ": " + std::string(row.word);
        if (book.result == BookResult::kFailed) entry += ", code " + std::to_string(book.exitCode);
        progress.console->Line(entry + ", " + book.message);
    }
}

bool WriteCsvReport(const std::string& path, const BatchPlan& plan) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "path,result,exit code,message,input bytes,output bytes,milliseconds\r\n";
    for (const BatchBook& book : plan.books) {
        const bool converted = IsConversion(book.result);
        out << CsvField(book.shownPath) << ',' << CsvField(std::string(ResultInfo(book.result).word)) << ','
            << (converted ? std::to_string(book.exitCode) : "") << ',' << CsvField(book.message) << ','
            << book.inputBytes << ',' << book.outputBytes << ',' << (converted ? std::to_string(book.milliseconds) : "")
            << "\r\n";
    }
    out.close();
    return !out.fail();
}

}  // namespace tavorin
