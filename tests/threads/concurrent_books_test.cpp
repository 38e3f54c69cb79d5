// Several books converted at the same time on several threads of one process,
// through the library API, each give exactly what the executable gives for
// the book alone: the same bytes, exit code and console text. Every book runs
// on two threads at once, and all of them share one temporary folder.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/test_util.h"
#include "tavorin/convert.h"
#include "text/console.h"

namespace tavorin {
namespace {

using test::CorpusPath;
using test::ReadFileBytes;
using test::ScratchDir;
using test::TestDataPath;

const std::string kSettings = std::string(TAVORIN_SOURCE_DIR) + "/default_styles.sini";

// Books of different kinds: encodings (UTF-16 too), a cover image, archives
// (one the converter refuses), a book without a description; from the corpus,
// when it is here, images, tables, many bodies and notes.
std::vector<std::string> Books() {
    std::vector<std::string> books = {
        TestDataPath("utf-8/twain_tom_sawyer_en.fb2"),
        TestDataPath("windows-1251/tolstoy_karenina_cover.fb2"),
        TestDataPath("windows-1251/bulgakov_white_guard_no_namespace.fb2"),
        TestDataPath("generated/en_regression_markup.fb2"),
        TestDataPath("generated/ru_koi8r.fb2"),
        TestDataPath("generated/ru_utf8.fb2.zip"),
        TestDataPath("malformed/fbreaderj_karenina_no_description_cp1251.fb2"),
        TestDataPath("generated/ru_utf16le_bom.fb2"),
        TestDataPath("generated/refused_two_members.zip"),
    };
    for (const char* name : {"utf-8/pandoc_images_png_jpeg.fb2", "utf-8/pandoc_tables.fb2",
                             "utf-8/rglazkov_many_bodies.fb2", "utf-8/fbreaderj_minihelp_zh.fb2"}) {
        if (const std::string path = CorpusPath(name); !path.empty()) books.push_back(path);
    }
    return books;
}

// What the executable prints beyond the library: after code 5, a hint about
// its own command line.
std::string WithoutCommandLineHint(const std::string& console) {
    return console.substr(0, console.find("The archive holds several books"));
}

struct Outcome {
    int exitCode = -1;
    std::string console;
    std::vector<uint8_t> bytes;  // empty when no book was written
};

TEST(ConcurrentBooks, EachThreadGetsTheExecutablesBytes) {
    const std::vector<std::string> books = Books();
    ScratchDir dir;
    const std::string temp = dir.file("tmp");
    std::filesystem::create_directory(temp);

    std::vector<Outcome> expected(books.size());
    for (size_t i = 0; i < books.size(); ++i) {
        const std::string out = dir.file("exe" + std::to_string(i) + ".lrf");
        const test::CommandResult r = test::RunConverterExe({"-s", kSettings, "-t", temp, "-i", books[i], "-o", out});
        expected[i] = {r.exitCode, WithoutCommandLineHint(r.output), std::filesystem::exists(out) ? ReadFileBytes(out) : std::vector<uint8_t>{}};
    }

    constexpr size_t kRounds = 2;
    std::vector<Outcome> got(kRounds * books.size());
    std::vector<std::thread> threads;
    for (size_t t = 0; t < got.size(); ++t) {
        threads.emplace_back([&, t] {
            const size_t book = t % books.size();
            const std::string out = dir.file("thread" + std::to_string(t) + ".lrf");
            StringSink console;
            got[t].exitCode = ConvertBook(books[book], out, kSettings, temp, console).exitCode;
            got[t].console = console.text();
            if (std::filesystem::exists(out)) got[t].bytes = ReadFileBytes(out);
        });
    }
    for (std::thread& thread : threads) thread.join();

    for (size_t t = 0; t < got.size(); ++t) {
        const size_t book = t % books.size();
        SCOPED_TRACE(books[book]);
        EXPECT_EQ(got[t].exitCode, expected[book].exitCode);
        EXPECT_EQ(got[t].console, expected[book].console);
        EXPECT_TRUE(got[t].bytes == expected[book].bytes) << "the book differs from the executable's";
    }
    EXPECT_FALSE(expected.front().bytes.empty());
    EXPECT_TRUE(std::filesystem::is_empty(temp));  // every private folder removed
}

// The process's umask as the kernel reports it.
mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("Umask:")) return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    }
    ADD_FAILURE() << "no Umask line";
    return 0;
}

// Books saved on two threads at once, new ones and ones replacing a file of
// another mode, each get the mode of any new file, and the umask stays, also
// while they are saved (a third thread watches it). ctest also runs this
// under umask 027.
TEST(ConcurrentBooks, EachBookHasTheModeOfANewFile) {
    const mode_t umask = CurrentUmask();
    ScratchDir dir;
    std::atomic<bool> done{false}, umaskChanged{false};
    std::thread watcher([&] {
        while (!done && !umaskChanged) umaskChanged = CurrentUmask() != umask;
    });
    const auto convert = [&](int thread) {
        for (int book = 0; book < 50; ++book) {
            const std::string out = dir.file(std::to_string(thread) + "_" + std::to_string(book) + ".lrf");
            if (book % 2) {  // replacing a file of another mode
                test::WriteFileText(out, "an older book");
                chmod(out.c_str(), 0600);
            }
            StringSink console;
            EXPECT_EQ(ConvertBook(TestDataPath("generated/ru_koi8r.fb2"), out, kSettings, "", console).exitCode, 0);
            struct stat st {};
            EXPECT_TRUE(stat(out.c_str(), &st) == 0 && (st.st_mode & 0777) == (0666 & ~umask)) << out;
        }
    };
    std::thread other(convert, 1);
    convert(0);
    other.join();
    done = true;
    watcher.join();
    EXPECT_FALSE(umaskChanged);
    EXPECT_EQ(CurrentUmask(), umask);
}

}  // namespace
}  // namespace tavorin
