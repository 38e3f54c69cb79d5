// ConvertBook never throws: what the caller's sink or progress callback
// throws, memory exhaustion among it, ends the conversion with a status
// naming the cause, and the extracted book is removed as always.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "converter_run.h"
#include "tavorin/convert.h"

namespace tavorin::test {
namespace {

// Throws what `fail` throws at its first write when `throws` is set.
struct Sink : ConsoleSink {
    Sink(bool throws, void (*fail)()) : throws(throws), fail(fail) {}
    void Write(std::string_view piece) override {
        if (throws) fail();
        text.append(piece);
    }
    bool throws;
    void (*fail)();
    std::string text;
};

TEST(CallerFailure, BecomesAStatusNamingTheCause) {
    const struct {
        bool inSink;
        void (*fail)();
        std::string message;
    } cases[] = {
        {true, [] { throw std::runtime_error("gone"); }, "Error: the console sink threw: gone"},
        {true, [] { throw 42; }, "Error: the console sink threw an exception of unknown type"},
        {true, [] { throw std::bad_alloc(); }, "Error: Out of memory"},
        {false, [] { throw std::runtime_error("stop"); }, "Error: the progress callback threw: stop"},
        {false, [] { throw std::bad_alloc(); }, "Error: Out of memory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        ScratchDir dir;
        std::filesystem::create_directory(dir.file("tmp"));
        Sink sink(c.inSink, c.fail);
        ConvertOptions options{kShippedSettings, std::nullopt, dir.file("tmp"), nullptr};
        if (!c.inSink) options.progress = [&](int) { c.fail(); };
        ConvertResult result;
        EXPECT_NO_THROW(result = ConvertBook(TestDataPath("generated/ru_utf8.fb2.zip"), dir.file("b"), options, sink));
        EXPECT_EQ(result.code(), ExitCode::kExitReadError);
        EXPECT_EQ(result.message, c.message);
        EXPECT_TRUE(c.inSink || sink.text.ends_with(c.message + "\n"));  // a working sink gets the status
        EXPECT_FALSE(std::filesystem::exists(dir.file("b")));
        EXPECT_TRUE(std::filesystem::is_empty(dir.file("tmp")));
    }
}

}  // namespace
}  // namespace tavorin::test
