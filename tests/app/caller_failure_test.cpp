// ConvertBook never throws: what the caller's console sink or progress
// callback throws, memory exhaustion among it, ends the conversion with a
// status naming the cause, and the conversion's files are removed as always.
#include <gtest/gtest.h>

#include <filesystem>
#include <new>
#include <stdexcept>
#include <string>

#include "converter_run.h"
#include "support/test_util.h"
#include "tavorin/convert.h"

namespace tavorin::test {
namespace {

enum class Thrower { kSink, kProgress };

// Throws `throwIt` at its first call from the sink or the progress callback.
struct FailingSink : ConsoleSink {
    Thrower where;
    void (*throwIt)();
    std::string text;
    void Write(std::string_view piece) override {
        if (where == Thrower::kSink) throwIt();
        text.append(piece);
    }
};

TEST(CallerFailure, BecomesAStatusNamingTheCause) {
    struct Case {
        Thrower where;
        void (*throwIt)();
        const char* message;
    };
    const Case cases[] = {
        {Thrower::kSink, [] { throw std::runtime_error("screen gone"); }, "Error: the console sink threw: screen gone"},
        {Thrower::kSink, [] { throw 42; }, "Error: the console sink threw an exception of unknown type"},
        {Thrower::kSink, [] { throw std::bad_alloc(); }, "Error: Out of memory"},
        {Thrower::kProgress, [] { throw std::runtime_error("cancelled"); },
         "Error: the progress callback threw: cancelled"},
        {Thrower::kProgress, [] { throw std::bad_alloc(); }, "Error: Out of memory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        ScratchDir dir;
        const std::string temp = dir.file("tmp");
        std::filesystem::create_directory(temp);
        FailingSink sink;
        sink.where = c.where;
        sink.throwIt = c.throwIt;
        ConvertOptions options{kShippedSettings, std::nullopt, temp, nullptr};
        if (c.where == Thrower::kProgress) options.progress = [&](int) { c.throwIt(); };

        ConvertResult result;
        EXPECT_NO_THROW(result = ConvertBook(TestDataPath("generated/ru_utf8.fb2.zip"), dir.file("b.lrf"), options, sink));
        EXPECT_EQ(result.code(), ExitCode::kExitReadError);
        EXPECT_EQ(result.message, c.message);
        // A sink that still works gets the status as its last line.
        if (c.where == Thrower::kProgress) {
            EXPECT_TRUE(sink.text.ends_with(std::string(c.message) + "\n"));
        }
        EXPECT_FALSE(std::filesystem::exists(dir.file("b.lrf")));
        EXPECT_TRUE(std::filesystem::is_empty(temp));  // the extracted book removed
    }
}

}  // namespace
}  // namespace tavorin::test
