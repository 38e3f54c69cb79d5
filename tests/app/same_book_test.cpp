// One book, many ways in: every text encoding the converter reads (UTF-16
// and one that only iconv knows among them), with or without an XML
// declaration, with prefixed element names, zipped or not, gives the very
// same LRF bytes; and eight conversions of zipped books
// at once in one temporary folder neither collide nor leave files behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "converter_run.h"
#include "support/lrf_check.h"
#include "support/test_util.h"

namespace tavorin::test {
namespace {

namespace fs = std::filesystem;

bool IsEmptyFolder(const fs::path& folder) { return fs::directory_iterator(folder) == fs::directory_iterator(); }

TEST(SameBook, EveryEncodingAndArchiveGivesTheSameBook) {
    const std::vector<std::string> variants = {
        "ru_utf8.fb2",        "ru_utf8_bom.fb2",        "ru_windows1251.fb2",        "ru_koi8r.fb2",
        "ru_utf8.fb2.zip",    "ru_windows1251.fb2.zip", "ru_utf8_in_folder.fb2.zip",
        "ru_utf16le_bom.fb2", "ru_utf16be.fb2",       "ru_cp866.fb2",              "ru_no_declaration.fb2",
        "ru_prefixed.fb2",
    };
    ScratchDir out, temp;
    std::vector<uint8_t> reference;
    for (const std::string& name : variants) {
        const std::string lrf = out.file(name + ".lrf");
        const CommandResult r = ConvertWithTempDir(TestDataPath("generated/" + name), lrf, temp.path().string());
        ASSERT_EQ(r.exitCode, 0) << name << ": " << r.output;
        const std::vector<uint8_t> book = ReadFileBytes(lrf);
        if (reference.empty()) {
            reference = book;
            EXPECT_EQ(CheckLrfStructure(book), std::vector<std::string>{});
        }
        EXPECT_EQ(book, reference) << name << " gives another book than " << variants[0];
    }
    EXPECT_TRUE(IsEmptyFolder(temp.path()));

    if (!HaveCalibre()) GTEST_SKIP() << "calibre is not installed";
    const std::string txt = out.file("book.txt");
    const CommandResult read = RunCommand("ebook-convert " + ShellQuote(out.file(variants[0] + ".lrf")) + " " +
                                          ShellQuote(txt));
    ASSERT_EQ(read.exitCode, 0) << read.output;
    const std::string text = ReadFileText(txt);
    for (const char* words : {"Все счастливые семьи похожи друг на друга", "Я помню чудное мгновенье",
                              "Повар ушёл ещё вчера со двора", "чёрная кухарка"}) {
        EXPECT_NE(text.find(words), std::string::npos) << words;
    }
}

TEST(SameBook, ConcurrentConversionsShareOneTemporaryFolder) {
    constexpr int kRuns = 8;
    ScratchDir out, temp;
    const std::string input = TestDataPath("generated/ru_windows1251.fb2.zip");
    std::vector<CommandResult> results(kRuns);
    std::vector<std::thread> runs;
    for (int i = 0; i < kRuns; ++i) {
        runs.emplace_back([&, i] {
            results[i] = ConvertWithTempDir(input, out.file("book" + std::to_string(i) + ".lrf"), temp.path().string());
        });
    }
    for (std::thread& run : runs) run.join();

    const CommandResult alone = ConvertWithTempDir(input, out.file("alone.lrf"), temp.path().string());
    ASSERT_EQ(alone.exitCode, 0) << alone.output;
    const std::vector<uint8_t> reference = ReadFileBytes(out.file("alone.lrf"));
    for (int i = 0; i < kRuns; ++i) {
        EXPECT_EQ(results[i].exitCode, 0) << "run " << i << ": " << results[i].output;
        EXPECT_EQ(ReadFileBytes(out.file("book" + std::to_string(i) + ".lrf")), reference) << "run " << i;
    }
    EXPECT_TRUE(IsEmptyFolder(temp.path())) << "files left in the temporary folder";
}

}  // namespace
}  // namespace tavorin::test
