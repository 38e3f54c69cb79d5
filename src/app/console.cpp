// Console output: one stream, flushed after every write.
#include "app/console.h"

#include "app/run_state.h"

namespace tavorin {

namespace {
std::FILE* g_console = nullptr;

std::FILE* Stream() { return g_console ? g_console : stdout; }
}  // namespace

void ConsoleWrite(std::string_view text) {
    std::FILE* out = Stream();
    std::fwrite(text.data(), 1, text.size(), out);
    std::fflush(out);
}

void ConsoleLine(std::string_view text) {
    std::FILE* out = Stream();
    std::fwrite(text.data(), 1, text.size(), out);
    std::fputc('\n', out);
    std::fflush(out);
}

void SetConsoleStream(std::FILE* stream) { g_console = stream; }

namespace {
class RunSink : public ConsoleSink {
public:
    void Write(std::string_view text) override { ConsoleWrite(text); }
};
RunSink g_runSink;
Console g_runConsole{g_runSink};
}  // namespace

Console& RunConsole() { return g_runConsole; }

}  // namespace tavorin
