// The batch's progress line, summary and CSV report.
#include "app/batch_report.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "text/new_file.h"
#include "text/terminal_text.h"

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

// Results whose row shows the exit code.
bool HasExitCode(BookResult result) {
    return result == BookResult::kConverted || result == BookResult::kFailed || result == BookResult::kUnreadable;
}

bool IsConversion(BookResult result) { return result == BookResult::kConverted || result == BookResult::kFailed; }

bool WriteAll(int fd, const std::string& text) {
    for (size_t done = 0; done < text.size();) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string CsvText(const BatchPlan& plan) {
    std::string text = "path,result,exit code,message,input bytes,output bytes,milliseconds\r\n";
    for (const BatchBook& book : plan.books) {
        text += CsvField(book.shownPath) + ',' + CsvField(std::string(ResultInfo(book.result).word)) + ',' +
                (HasExitCode(book.result) ? std::to_string(book.exitCode) : "") + ',' + CsvField(book.message) +
                ',' + std::to_string(book.inputBytes) + ',' + std::to_string(book.outputBytes) + ',' +
                (IsConversion(book.result) ? std::to_string(book.milliseconds) : "") + "\r\n";
    }
    return text;
}

}  // namespace

void StartProgress(BatchProgress& progress, const BatchPlan& plan, Console& console) {
    progress = BatchProgress{};
    progress.console = &console;
    progress.terminal = isatty(STDOUT_FILENO) == 1;
    progress.start = BatchClock::now();
    for (const BatchBook& book : plan.books) {
        const bool failedAlready = ResultInfo(book.result).countsAsFailure;
        progress.total += book.result == BookResult::kPending || failedAlready ? 1 : 0;
        progress.done += failedAlready ? 1 : 0;
    }
    progress.failed = progress.done;
}

void ShowBookDone(BatchProgress& progress, const BatchBook& book) {
    ++progress.done;
    if (ResultInfo(book.result).countsAsFailure) ++progress.failed;
    if (progress.terminal) {
        DrawLine(progress);
        return;
    }
    progress.console->Line(ProgressText(progress) + ": " + std::string(ResultInfo(book.result).word) + " " +
                           EscapeControls(book.shownPath));
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
    size_t failed = 0;
    for (const ResultRow& row : kResultTable) failed += row.countsAsFailure ? count(row.result) : 0;
    std::string line = "Converted " + std::to_string(count(BookResult::kConverted)) + ", skipped " +
                       std::to_string(skipped) + " (" + std::to_string(count(BookResult::kUpToDate)) +
                       " up to date, " + std::to_string(count(BookResult::kNotABook)) + " not books), failed " +
                       std::to_string(failed);
    if (count(BookResult::kUnreadable) > 0) line += " (" + std::to_string(count(BookResult::kUnreadable)) + " unreadable)";
    if (count(BookResult::kInterrupted) > 0) {
        line += ", not done " + std::to_string(count(BookResult::kInterrupted) + count(BookResult::kPending));
    }
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", ElapsedSeconds(progress));
    line += ", in " + std::string(seconds) + " s";
    progress.console->Line(line);
    bool listed = false;
    for (const BatchBook& book : plan.books) {
        const ResultRow& row = ResultInfo(book.result);
        if (!row.countsAsFailure) continue;
        // Names and messages as the terminal shows them harmlessly; the report keeps them as they are.
        std::string entry = "  " + EscapeControls(book.shownPath) + ": " + std::string(row.word);
        if (HasExitCode(book.result)) entry += ", code " + std::to_string(book.exitCode);
        progress.console->Line(entry + ", " + EscapeControls(book.message));
        listed = true;
    }
    if (listed) progress.console->Line(line);  // a long list would have scrolled the counts away
}

bool OpenReport(const std::string& path, ReportFile& report) {
    const std::filesystem::path target(path);
    // The permissions a newly created report would get.
    std::string partPath;
    const int fd = CreateNewFile((target.parent_path() / ("." + target.filename().string() + ".")).string(), partPath);
    if (fd < 0) return false;
    report = {path, std::move(partPath), fd};
    return true;
}

bool FinishReport(ReportFile& report, const BatchPlan& plan) {
    bool written = WriteAll(report.fd, CsvText(plan)) && fsync(report.fd) == 0;
    written = close(report.fd) == 0 && written;
    report.fd = -1;
    written = written && std::rename(report.partPath.c_str(), report.path.c_str()) == 0;
    if (written) report.partPath.clear();
    DropReport(report);
    return written;
}

void DropReport(ReportFile& report) {
    if (report.fd >= 0) close(report.fd);
    if (!report.partPath.empty()) unlink(report.partPath.c_str());
    report = ReportFile{};
}

}  // namespace tavorin
