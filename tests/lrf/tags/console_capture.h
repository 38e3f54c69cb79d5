// Captures what the code under test prints on the console during a test.
#pragma once

#include <cstdio>
#include <string>

#include "app/console.h"

namespace tavorin::test {

class ConsoleCapture {
public:
    ConsoleCapture() : file_(std::tmpfile()) { SetConsoleStream(file_); }
    ~ConsoleCapture() {
        SetConsoleStream(nullptr);
        std::fclose(file_);
    }
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;

    // Everything printed since the capture started.
    std::string text() const {
        std::fflush(file_);
        std::rewind(file_);
        std::string out;
        char chunk[512];
        size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, file_)) > 0) out.append(chunk, n);
        std::fseek(file_, 0, SEEK_END);
        return out;
    }

private:
    std::FILE* file_;
};

}  // namespace tavorin::test
