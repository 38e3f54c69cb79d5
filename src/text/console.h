// Console output of one conversion: the sink its progress and error lines go
// to, chosen by the caller (stdout for the command line, a string for tests
// and for programs that embed the converter), and the progress percentage.
#pragma once

#include <string>
#include <string_view>

#include "tavorin/console_sink.h"

namespace tavorin {

// Keeps everything written, for tests and for callers that show it later.
class StringSink : public ConsoleSink {
public:
    void Write(std::string_view text) override { text_.append(text); }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

// The console of one conversion: its sink, the caller's progress callback
// (none when null) and the last percentage printed.
struct Console {
    explicit Console(ConsoleSink& to, const ProgressCallback* onProgress = nullptr) : sink(&to), progress(onProgress) {}

    ConsoleSink* sink;
    const ProgressCallback* progress;
    int progressPercent = 0;

    void Write(std::string_view text) { sink->Write(text); }
    // The text followed by a line end, in one write.
    void Line(std::string_view text) {
        std::string line(text);
        line += '\n';
        sink->Write(line);
    }
    // Sets the percentage, prints "\r" + percent + "%" and tells the callback.
    void SetProgress(int percent) {
        progressPercent = percent;
        sink->Write("\r" + std::to_string(percent) + "%");
        ReportProgress(percent);
    }
    // Tells the callback alone (100 when the book is written: the console shows " DONE " instead).
    void ReportProgress(int percent) const {
        if (progress && *progress) (*progress)(percent);
    }
};

}  // namespace tavorin
