// The command line of the real executable: usage, option scan, paths, the
// temporary folder, the settings file, and the exit codes of start-up and of
// a read failure.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "converter_run.h"
#include "support/lrf_check.h"
#include "support/test_util.h"

namespace tavorin::test {
namespace {

namespace fs = std::filesystem;

// A small well-formed book in UTF-8; `body` goes inside the section.
std::string SmallBook(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<FictionBook xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\" "
           "xmlns:l=\"http://www.w3.org/1999/xlink\"><description><title-info>"
           "<author><first-name>Ann</first-name><last-name>Writer</last-name></author>"
           "<book-title>Small Book</book-title><lang>en</lang></title-info></description>"
           "<body><section><title><p>Chapter One</p></title>" +
           body + "</section></body></FictionBook>\n";
}

TEST(CommandLine, FewerThanTwoArgumentsPrintUsage) {
    for (const auto& args : {std::vector<std::string>{}, std::vector<std::string>{"-i"}}) {
        const CommandResult r = RunConverterExe(args);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_NE(r.output.find("tavorin_c  v" TAVORIN_VERSION), std::string::npos) << r.output;
        EXPECT_NE(r.output.find("tavorin_c.exe [-s styles] [-t tempfolder] -i inputfile -o outputfile"),
                  std::string::npos);
        EXPECT_NE(r.output.find("-i library -o outfolder/"), std::string::npos);
    }
}

TEST(CommandLine, MissingInputOrOutputIsCodeOne) {
    for (const auto& args : {std::vector<std::string>{"-i", "book.fb2"},
                             std::vector<std::string>{"-i", "book.fb2", "-o"},
                             std::vector<std::string>{"-o", "out.lrf", "x"}}) {
        const CommandResult r = RunConverterExe(args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.output.rfind("\rError: inputfile or outputfile is not defined\n\n\ntavorin_c  v" TAVORIN_VERSION, 0), 0u)
            << r.output;
    }
}

TEST(CommandLine, MissingSettingsFileIsCodeThree) {
    ScratchDir dir;
    WriteFileText(dir.file("book.fb2"), SmallBook("<p>Text.</p>"));
    // Without -s the settings come from the current folder.
    CommandResult r = RunConverterExe({"-i", "book.fb2", "-o", "out.lrf"}, dir.path().string());
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.output.find("Error: Cannot open style file:" + fs::canonical(dir.path()).string() +
                            "/default_styles.sini"),
              std::string::npos)
        << r.output;
    // A name without a folder part is completed against the current folder.
    r = RunConverterExe({"-s", "none.sini", "-i", "book.fb2", "-o", "out.lrf"}, dir.path().string());
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.output.find("/none.sini"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(dir.file("out.lrf")));
}

TEST(CommandLine, MissingTempFolderIsCodeTwo) {
    ScratchDir dir;
    WriteFileText(dir.file("book.fb2"), SmallBook("<p>Text.</p>"));
    const CommandResult r =
        RunConverterExe({"-s", kShippedSettings, "-t", dir.file("no-such-folder"), "-i", dir.file("book.fb2"), "-o",
                         dir.file("out.lrf")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.output.find("Error: temp dir cannot be set"), std::string::npos) << r.output;
}

// Book names holding "-s", "-o" or "-i" are values, not options.
TEST(CommandLine, FileNamesWithDashesAreNotOptions) {
    ScratchDir dir;
    fs::copy_file(kShippedSettings, dir.file("default_styles.sini"));
    WriteFileText(dir.file("my-stories-one.fb2"), SmallBook("<p>Text of the book.</p>"));
    const CommandResult r =
        RunConverterExe({"-i", "my-stories-one.fb2", "-o", "my-out-s.lrf"}, dir.path().string());
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(r.output.ends_with("\r DONE ")) << r.output;
    EXPECT_TRUE(fs::exists(dir.file("my-out-s.lrf")));
}

TEST(CommandLine, InvalidUtf8AfterOpeningIsCodeTwelve) {
    ScratchDir dir;
    WriteFileText(dir.file("bad.fb2"), SmallBook("<p>Broken \xC3\x28 byte.</p>"));
    const CommandResult r = RunConverterExe(
        {"-s", kShippedSettings, "-t", dir.path().string(), "-i", dir.file("bad.fb2"), "-o", dir.file("bad.lrf")});
    EXPECT_EQ(r.exitCode, 12);
    EXPECT_NE(r.output.find("\nError: Invalid UTF-8 encoding\n"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(dir.file("bad.lrf")));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

// Each input the converter refuses ends with its code and its one message
// line, leaves no book and nothing in the temporary folder.
TEST(CommandLine, RefusedInputsEndWithTheirMessage) {
    ScratchDir dir, temp;
    WriteFileText(dir.file("short.fb2"), std::string("<?xml version=\"1.0\"?>") + std::string(28, ' '));
    WriteFileText(dir.file("neither.fb2"), std::string(80, 'x'));
    std::string damaged = ReadFileText(TestDataPath("generated/ru_utf8.fb2.zip"));
    damaged.resize(damaged.size() - 30);  // into the central directory
    WriteFileText(dir.file("damaged.zip"), damaged);
    WriteFileText(dir.file("headless.fb2"), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<FictionBook><description>"
                                            "<title-info><book-title>T</book-title></title-info>");
    const struct {
        std::string input;
        int code;
        std::string message;
    } cases[] = {
        {dir.file("missing.fb2"), 4, "Error: Cannot open input file"},
        {TestDataPath("generated/refused_two_members.zip"), 5, "Error: More than 1 file in archive\nThe archive "
                                                               "holds several books: with a folder as -o (ending in '/') each one is converted"},
        {TestDataPath("generated/refused_only_folder.zip"), 5, "Error: More than 1 file in archive"},
        {dir.file("damaged.zip"), 6, "Error: Cannot extract file to TempDir\\forLRFconversion"},
        {TestDataPath("generated/refused_member_not_xml.zip"), 8, "Error: Extracted file is not fb2 file"},
        {dir.file("short.fb2"), 9, "Error: Not fb2 file"},
        {dir.file("neither.fb2"), 9, "Error: Not fb2 file"},
        {dir.file("headless.fb2"), 10, "Error: Error in fb2 header"},
    };
    for (const auto& c : cases) {
        const std::string output = dir.file("out.lrf");
        const CommandResult r = ConvertWithTempDir(c.input, output, temp.path().string());
        EXPECT_EQ(r.exitCode, c.code) << c.input << ": " << r.output;
        EXPECT_TRUE(r.output.ends_with("\n" + c.message + "\n")) << c.input << ": " << r.output;
        EXPECT_FALSE(fs::exists(output)) << c.input;
        EXPECT_TRUE(fs::is_empty(temp.path())) << c.input << ": files left in the temporary folder";
    }
}

TEST(CommandLine, ConversionEndsWithDone) {
    ScratchDir dir;
    WriteFileText(dir.file("book.fb2"), SmallBook("<p>Some text.</p>"));
    const CommandResult r = RunConverterExe(
        {"-s", kShippedSettings, "-t", dir.path().string() + "/", "-i", dir.file("book.fb2"), "-o", dir.file("b.lrf")});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(r.output.ends_with("%\r DONE ")) << r.output;
    EXPECT_NE(r.output.find("\r5%"), std::string::npos);
    EXPECT_EQ(CheckLrfStructure(ReadFileBytes(dir.file("b.lrf"))), std::vector<std::string>{});
}

}  // namespace
}  // namespace tavorin::test
