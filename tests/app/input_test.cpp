// Tests of input detection: the error codes of bad inputs, archive
// extraction into a private folder, and the codec chosen from the bytes and the
// declaration.
#include "app/input.h"


#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/run_state.h"
#include "support/test_util.h"
#include "support/zip_maker.h"
#include "text/codecs.h"
#include "text/exit_codes.h"
#include "text/unicode_reader.h"

namespace tavorin {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::ScratchDir;
using test::WriteFileBytes;
using test::WriteFileText;

using test::MakeZip;

// An FB2 start whose declaration carries `encodingAttribute` (may be empty),
// followed by the bytes C3 80, which every codec reads differently.
std::string Fb2With(const std::string& encodingAttribute) {
    return "<?xml version=\"1.0\"" + encodingAttribute +
           "?>\n<FictionBook xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\"><p>\xC3\x80</p></FictionBook>\n";
}

class InputDetection : public ::testing::Test {
protected:
    void SetUp() override { run.tempFolder = temp_.path().string() + "/"; }
    void TearDown() override { RemoveWorkFiles(run); }

    // Detection on a new conversion, as each conversion starts.
    ExitCode Detect(const std::string& path) {
        run.inputPath = path;
        return DetectInput(run, reader).code;
    }

    // Private folders left in the temporary folder.
    int LeftoverFolders() const {
        int count = 0;
        for (const auto& entry : fs::directory_iterator(temp_.path())) count += entry.is_directory();
        return count;
    }

    ScratchDir files_;
    ScratchDir temp_;
    std::unique_ptr<TUnicodeFileReader> reader;
    RunState run;
};

TEST_F(InputDetection, BadInputsGiveTheirErrorCodes) {
    const std::string book = Fb2With(" encoding=\"utf-8\"");
    MakeZip(files_.file("two.zip"), {{"a.fb2", book}, {"b.fb2", book}});
    MakeZip(files_.file("none.zip"), {{"folder/", ""}});
    MakeZip(files_.file("text.zip"), {{"book.txt", std::string(80, 'x')}});
    MakeZip(files_.file("good.zip"), {{"book.fb2", book}});
    std::vector<uint8_t> cut = ReadFileBytes(files_.file("good.zip"));
    cut.resize(cut.size() - 30);  // into the central directory
    WriteFileBytes(files_.file("damaged.zip"), cut);
    WriteFileText(files_.file("short.fb2"), ("<?xml version=\"1.0\"?>" + std::string(49, ' ')).substr(0, 49));
    WriteFileText(files_.file("neither.txt"), std::string(60, 'n'));
    WriteFileText(files_.file("no_tag.txt"), " <1" + std::string(60, 'n'));
    WriteFileText(files_.file("short_tag.fb2"), "<FictionBook><body><p>49 bytes</p></body></Fictio");
    fs::create_directory(files_.file("folder"));

    const std::vector<std::pair<std::string, ExitCode>> cases = {
        {"missing.fb2", kExitCannotOpenInput},  {"folder", kExitCannotOpenInput},
        {"two.zip", kExitArchiveCount},         {"none.zip", kExitArchiveCount},
        {"damaged.zip", kExitCannotExtract},    {"text.zip", kExitExtractedNotFb2},
        {"short.fb2", kExitNotFb2},             {"neither.txt", kExitNotFb2},
        {"no_tag.txt", kExitNotFb2},            {"short_tag.fb2", kExitNotFb2},
    };
    for (const auto& [name, code] : cases) {
        EXPECT_EQ(Detect(files_.file(name)), code) << name;
        EXPECT_EQ(reader, nullptr) << name;
        RemoveWorkFiles(run);
        EXPECT_EQ(LeftoverFolders(), 0) << name;
    }
}

TEST_F(InputDetection, MissingTemporaryFolderIsAnExtractionError) {
    MakeZip(files_.file("good.zip"), {{"book.fb2", Fb2With("")}});
    run.tempFolder = temp_.file("absent") + "/";
    EXPECT_EQ(Detect(files_.file("good.zip")), kExitCannotExtract);
}

TEST_F(InputDetection, ArchiveMemberInsideAFolderIsExtractedPrivately) {
    const std::string book = Fb2With(" encoding=\"utf-8\"");
    MakeZip(files_.file("book.zip"), {{"books/", ""}, {"books/book.fb2", book}});

    ASSERT_EQ(Detect(files_.file("book.zip")), kExitDone);
    EXPECT_EQ(run.inputKind, 1);
    const std::string first = run.privateTempDir;
    EXPECT_EQ(first.rfind(run.tempFolder + "tavorin-", 0), 0u) << first;
    EXPECT_EQ(run.workFilePath, first + "/forLRFconversion");
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->ReadChars(5), u"<?xml");

    // A second conversion at the same time gets a folder of its own.
    run.privateTempDir.clear();
    ASSERT_EQ(Detect(files_.file("book.zip")), kExitDone);
    EXPECT_NE(run.privateTempDir, first);
    EXPECT_EQ(test::ReadFileText(first + "/forLRFconversion"), book);

    RemoveWorkFiles(run);
    RemoveWorkFiles(run);  // harmless when done already
    run.privateTempDir = first;
    RemoveWorkFiles(run);
    EXPECT_EQ(LeftoverFolders(), 0);
    EXPECT_TRUE(fs::exists(files_.file("book.zip")));
}

TEST_F(InputDetection, DirectInputIsReadInPlaceAndNeverRemoved) {
    WriteFileText(files_.file("book.fb2"), Fb2With(""));
    ASSERT_EQ(Detect(files_.file("book.fb2")), kExitDone);
    EXPECT_EQ(run.inputKind, 0);
    EXPECT_EQ(run.workFilePath, files_.file("book.fb2"));
    RemoveWorkFiles(run);
    EXPECT_TRUE(fs::exists(files_.file("book.fb2")));
}

// The text in UTF-16, each byte of `text` taken as one character.
std::string Utf16(const std::string& text, bool bigEndian) {
    std::string wide;
    for (const char c : text) wide += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return wide;
}

TEST_F(InputDetection, EncodingsAreReadAsDeclaredOrAsTheirBytesShow) {
    const std::string body = "<FictionBook xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\"><p>\xC3\x80</p></FictionBook>";
    // A C1 control (U+0080) is read as the Windows-1252 character of its code.
    const std::vector<std::pair<std::string, WString>> cases = {  // the file, what its bytes C3 80 become
        {Fb2With(" encoding=\"windows-1251\""), u"\u0413\u0402"},
        {Fb2With(" encoding='windows-1251'"), u"\u0413\u0402"},
        {Fb2With(" encoding=\"CP1251\""), u"\u0413\u0402"},
        {Fb2With(" encoding=\"Windows-1252\""), u"\u00C3\u20AC"},
        {Fb2With(" encoding=\"windows-1250\""), u"\u0102\u20AC"},
        {Fb2With(" encoding=\"iso-8859-1\""), u"\u00C3\u20AC"},
        {Fb2With(" encoding=\"ISO-8859-1\""), u"\u00C3\u20AC"},
        {Fb2With(" encoding=\"Latin1\""), u"\u00C3\u20AC"},
        {Fb2With(" encoding=\"KOI8-R\""), u"\u0446\u2500"},
        {Fb2With(" encoding=\"koi8r\""), u"\u0446\u2500"},
        {Fb2With(" encoding=\"cp866\""), u"\u251C\u0410"},
        {Fb2With(" encoding=\"GB18030\""), u"\u810C"},
        {Fb2With(" encoding=\"UTF-8\""), u"\u00C0"},
        {Fb2With(" encoding=\"x-unknown\""), u"\u00C0"},
        {Fb2With(" encoding=\"   \""), u"\u00C0"},  // never the locale's charset, which iconv takes for ""
        {Fb2With(std::string(" encoding=\"\0\"", 13)), u"\u00C0"},
        {Fb2With(std::string(" encoding=\"cp866\0\"", 18)), u"\u00C0"},
        {Fb2With(""), u"\u00C0"},
        {"\xEF\xBB\xBF" + Fb2With(" encoding=\"utf-8\""), u"\u00C0"},
        {"\xFF\xFE" + Utf16(Fb2With(" encoding=\"UTF-16\""), false), u"\u00C3\u20AC"},
        {"\xFE\xFF" + Utf16(Fb2With(""), true), u"\u00C3\u20AC"},
        {Utf16(Fb2With(""), false), u"\u00C3\u20AC"},
        {Utf16(Fb2With(" encoding=\"utf-16\""), true), u"\u00C3\u20AC"},
        {body, u"\u00C0"},
        {"\xEF\xBB\xBF\r\n " + body, u"\u00C0"},
        {"\xFF\xFE" + Utf16(body, false), u"\u00C3\u20AC"},
    };
    for (const auto& [file, decoded] : cases) {
        const std::string path = files_.file("book.fb2");
        WriteFileText(path, file);
        ASSERT_EQ(Detect(path), kExitDone) << file;
        ASSERT_NE(reader, nullptr);
        const WString text = reader->ReadToStr("\x7F", true, false);  // the whole rest
        const size_t at = text.find(u"<p>") + 3;
        EXPECT_EQ(text.substr(at, text.find(u"</p>") - at), decoded) << file;
    }
}

}  // namespace
}  // namespace tavorin
