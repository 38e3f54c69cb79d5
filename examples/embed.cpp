// Embedding the converter: one book converted through the library API with
// its settings given as text, the console lines on stderr and the progress
// as numbers (the example of the README, section "Embedding").
#include <cstdio>
#include <fstream>
#include <sstream>
#include "tavorin/convert.h"

class StderrSink : public tavorin::ConsoleSink {
    void Write(std::string_view text) override { std::fwrite(text.data(), 1, text.size(), stderr); }
};

int main(int argc, char** argv) {  // book.fb2 book.lrf settings.sini
    if (argc != 4) return 1;
    std::ostringstream settings;
    settings << std::ifstream(argv[3], std::ios::binary).rdbuf();

    tavorin::ConvertOptions options;
    options.settingsText = settings.str();  // or options.settingsPath = argv[3]
    int percent = 0;
    options.progress = [&](int p) { percent = p; };  // 0 to 100; 100 once the book is written
    StderrSink console;
    const tavorin::ConvertResult result = tavorin::ConvertBook(argv[1], argv[2], options, console);
    std::printf("tavorin %s, %d%%\n", tavorin::LibraryVersion(), percent);
    std::printf("%d %s\n", result.exitCode, result.message.c_str());  // " DONE " or the error message
    return result.code() == tavorin::ExitCode::kExitDone ? 0 : result.exitCode;
}
