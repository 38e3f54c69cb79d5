// Embedding the converter: one book converted through the library API, its
// progress shown on stderr (the example of the README, section "Embedding").
#include <cstdio>
#include "tavorin/convert.h"

class StderrSink : public tavorin::ConsoleSink {
    void Write(std::string_view text) override { std::fwrite(text.data(), 1, text.size(), stderr); }
};

int main(int argc, char** argv) {  // book.fb2 book.lrf settings.sini
    if (argc != 4) return 1;
    StderrSink console;
    const tavorin::ConvertResult result = tavorin::ConvertBook(argv[1], argv[2], argv[3], "", console);
    std::printf("\n%d %s\n", result.exitCode, result.message.c_str());  // " DONE " or the error message
    return result.exitCode;
}
