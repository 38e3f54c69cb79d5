// The Unicode file reader over real files: reading pieces, searching, tags,
// rewinding, and decoding that stays correct across block boundaries.
#include "text/unicode_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_util.h"

namespace tavorin {
namespace {

class UnicodeReaderTest : public ::testing::Test {
protected:
    template <typename Codec = TUTF8Codec>
    std::unique_ptr<TUnicodeFileReader> Open(const std::string& bytes) {
        const std::string path = dir_.file("input" + std::to_string(files_++));
        test::WriteFileText(path, bytes);
        return std::make_unique<TUnicodeFileReader>(path, std::make_unique<Codec>());
    }

    test::ScratchDir dir_;
    int files_ = 0;
};

TEST_F(UnicodeReaderTest, ReadCharsStopsAtEndOfShortFile) {
    auto reader = Open<TWindows1251Codec>("0123456789");
    EXPECT_EQ(reader->ReadChars(0), u"");
    EXPECT_EQ(reader->ReadChars(-3), u"");
    EXPECT_EQ(reader->ReadChars(50), u"0123456789");
    EXPECT_TRUE(reader->EndOfFile());
    EXPECT_EQ(reader->ReadChars(5), u"");
    EXPECT_THROW(reader->ReadChar(), EUnicodeReaderReadError);
}

TEST_F(UnicodeReaderTest, EmptyFileIsAtEnd) {
    auto reader = Open("");
    EXPECT_TRUE(reader->EndOfFile());
    EXPECT_EQ(reader->Buffer(10), 0u);
    EXPECT_EQ(reader->LocateStr("<", true), -1);
}

TEST_F(UnicodeReaderTest, MissingFileOrFolderIsOpenError) {
    for (const std::string& path : {dir_.file("missing.fb2"), dir_.path().string()}) {
        try {
            TUnicodeFileReader reader(path, std::make_unique<TUTF8Codec>());
            ADD_FAILURE() << path;
        } catch (const EFileReader& e) {
            EXPECT_STREQ(e.what(), "File open error");
        }
    }
}

TEST_F(UnicodeReaderTest, CharSetReadsStopBeforeDelimiter) {
    const CharSet close = MakeCharSet(">");
    auto reader = Open("ab>cd>ef");
    EXPECT_EQ(reader->ReadToCharSet(close, false), u"ab");
    EXPECT_EQ(reader->ReadToCharSet(close, false), u"");  // at the '>', no advance
    EXPECT_EQ(reader->LocateCharSet(close), 0);
    EXPECT_EQ(reader->ReadToCharSet(close, true), u"");
    EXPECT_EQ(reader->SkipToCharSet(close, true), 2u);
    EXPECT_EQ(reader->LocateCharSet(close), -1);
    EXPECT_EQ(reader->SkipToCharSet(close, true), 2u);  // no '>': to the end
    EXPECT_TRUE(reader->EndOfFile());
}

TEST_F(UnicodeReaderTest, CharSetIgnoresCodesAbove255) {
    // U+0141 has 0x41 ('A') in its low byte; it must not count as 'A'.
    auto reader = Open("\xC5\x81xA");
    EXPECT_EQ(reader->LocateCharSet(MakeCharSet("A")), 2);
}

// A one-character set is searched four characters a step: the first match is
// found at every offset, past neighbours that differ from it in one bit or
// carry its code in one byte (U+013E, U+3E3E).
TEST_F(UnicodeReaderTest, OneCharacterSetFindsTheFirstAtAnyOffset) {
    const std::string fillers[] = {"=", "?", "\xC4\xBE", "\xE3\xB8\xBE", "~"};
    for (size_t k = 0; k < 10; ++k) {
        std::string text;
        for (size_t i = 0; i < k; ++i) text += fillers[i % std::size(fillers)];
        auto reader = Open(text + ">a>");
        EXPECT_EQ(reader->LocateCharSet(MakeCharSet(">")), static_cast<int64_t>(k)) << k;
    }
}

TEST_F(UnicodeReaderTest, LocateStrCaseRules) {
    auto reader = Open<TISO8859_1Codec>("ab</BINARY>cd</binary>\xC9t\xE9");
    EXPECT_EQ(reader->LocateStr("</binary", true), 13);
    EXPECT_EQ(reader->LocateStr("</binary", false), 2);
    EXPECT_EQ(reader->LocateStr("</BiNaRy", false), 2);
    EXPECT_EQ(reader->LocateStr("", true), 0);
    EXPECT_EQ(reader->LocateStr("</p", false), -1);
    // A delimiter character above 127 matches only case-sensitively.
    EXPECT_EQ(reader->LocateStr("\xC9t", true), 22);
    EXPECT_EQ(reader->LocateStr("\xC9t", false), -1);
    EXPECT_EQ(reader->LocateStr("\xE9", false), -1);
}

TEST_F(UnicodeReaderTest, ReadToStrSkipsDelimiterOnlyWhenFound) {
    auto reader = Open("one</two</three");
    EXPECT_EQ(reader->ReadToStr("</", true, true), u"one");
    EXPECT_EQ(reader->ReadToStr("</", true, false), u"two");
    EXPECT_EQ(reader->ReadChars(2), u"</");
    EXPECT_EQ(reader->ReadToStr("</", true, true), u"three");
    EXPECT_TRUE(reader->EndOfFile());

    auto plain = Open("abc");
    EXPECT_EQ(plain->ReadToStr(">", true, false), u"abc");
    EXPECT_TRUE(plain->EndOfFile());
}

TEST_F(UnicodeReaderTest, ReadTagAtEndOfFile) {
    auto reader = Open("text <a x=\"1\">mid</a> tail <b");
    WString tag;
    EXPECT_TRUE(ReadTag(*reader, tag));
    EXPECT_EQ(tag, u"<a x=\"1\">");
    EXPECT_TRUE(ReadTag(*reader, tag));
    EXPECT_EQ(tag, u"</a>");
    EXPECT_FALSE(ReadTag(*reader, tag));
    EXPECT_EQ(tag, u"<b");
    EXPECT_FALSE(ReadTag(*reader, tag));
    EXPECT_EQ(tag, u"");
}

TEST_F(UnicodeReaderTest, ResetRereadsFromStart) {
    auto reader = Open(std::string(300000, 'x') + "end");
    EXPECT_EQ(reader->ReadChars(5), u"xxxxx");
    EXPECT_EQ(reader->ReadToStr("end", true, false).size(), 299995u);
    reader->Reset();
    EXPECT_EQ(reader->ReadChars(5), u"xxxxx");
    EXPECT_EQ(reader->LocateStr("end", true), 299995);
}

TEST_F(UnicodeReaderTest, Utf8TruncatedAtEndEndsTextWithoutError) {
    // Cut "aé€😀" after every byte: only whole characters come out.
    const std::string full = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    const std::vector<std::u16string> expected = {
        u"", u"a", u"a", u"a\u00E9", u"a\u00E9", u"a\u00E9", u"a\u00E9\u20AC",
        u"a\u00E9\u20AC", u"a\u00E9\u20AC", u"a\u00E9\u20AC", u"a\u00E9\u20AC\U0001F600"};
    for (size_t cut = 0; cut <= full.size(); ++cut) {
        auto reader = Open(full.substr(0, cut));
        EXPECT_EQ(reader->ReadChars(20), expected[cut]) << cut;
        EXPECT_TRUE(reader->EndOfFile()) << cut;
    }
}

TEST_F(UnicodeReaderTest, InvalidUtf8RaisesConvertError) {
    auto reader = Open("abc\xFF" "def");
    try {
        reader->ReadChars(10);
        ADD_FAILURE();
    } catch (const ConvertError& e) {
        EXPECT_STREQ(e.what(), "Invalid UTF-8 encoding");
    }
}

TEST_F(UnicodeReaderTest, MultiByteCharacterSplitBetweenBlocks) {
    // The block boundary falls at every byte of 2-, 3- and 4-byte characters.
    const std::string sequences[] = {"\xD0\x96", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"};
    const std::u16string decoded[] = {u"\u0416", u"\u20AC", u"\U0001F600"};
    for (size_t s = 0; s < 3; ++s) {
        for (size_t prefix = 65532; prefix <= 65536; ++prefix) {
            auto reader = Open(std::string(prefix, 'a') + sequences[s] + "z<");
            const WString text = reader->ReadToStr("<", true, false);
            EXPECT_EQ(text, std::u16string(prefix, u'a') + decoded[s] + u"z") << s << " " << prefix;
        }
    }
}

// A long book of paragraphs and one large binary, read the way the converter
// reads it: tag by tag, contents up to "</" and up to "</binary".
TEST_F(UnicodeReaderTest, LongFileReadInExactPieces) {
    std::string book = "<?xml version=\"1.0\"?>\n<book>\n";
    std::vector<std::string> expected = {"<?xml version=\"1.0\"?>", "<book>"};
    for (int k = 0; k < 12000; ++k) {
        const std::string tag = "<p id=\"" + std::to_string(k) + "\">";
        std::string text = "Para " + std::to_string(k) + ":";
        for (int r = 0; r <= k % 7; ++r) text += " \xD0\xB6\xD1\x91\xD0\xBB\xD1\x82 \xE2\x82\xAC \xF0\x9F\x98\x80";
        book += tag + text + "</P>\n";
        expected.insert(expected.end(), {tag, text, "</P>"});
    }
    std::string base64;
    for (int i = 0; i < 400000; ++i) base64 += "ABCDEFGHabcdefgh0123456789+/\n"[i % 29];
    const std::string binary = "<binary id=\"img\" content-type=\"image/png\">";
    book += binary + base64 + "</binary>\n</book>\n";
    expected.insert(expected.end(), {binary, base64, "</binary>", "</book>"});
    ASSERT_GT(book.size(), 1000000u);

    auto reader = Open(book);
    for (int pass = 0; pass < 2; ++pass) {
        std::vector<std::string> pieces;
        WString tag;
        while (ReadTag(*reader, tag)) {
            pieces.push_back(Narrow(tag));
            if (StartsWith(tag, u"<p ")) pieces.push_back(Narrow(reader->ReadToStr("</", false, false)));
            if (StartsWith(tag, u"<binary ")) {
                pieces.push_back(Narrow(reader->ReadToStr("</binary", true, false)));
            }
        }
        EXPECT_EQ(tag, u"");
        ASSERT_EQ(pieces.size(), expected.size()) << "pass " << pass;
        for (size_t i = 0; i < pieces.size(); ++i) ASSERT_EQ(pieces[i], expected[i]) << "piece " << i;
        reader->Reset();
    }
}

// Real books (with a byte order mark, large binaries): the pieces between
// "</" delimiters put back together give the whole decoded file.
TEST(UnicodeReaderCorpus, PiecesRebuildWholeBook) {
    for (const char* name : {"utf-8/fb2document_test_book_en.fb2", "generated/ru_utf8_bom.fb2",
                             "utf-8/twain_tom_sawyer_en.fb2"}) {
        const std::string path = test::TestDataPath(name);
        TUnicodeFileReader reader(path, std::make_unique<TUTF8Codec>());
        WString rebuilt = reader.ReadToStr("</", false, true);
        while (!reader.EndOfFile()) rebuilt += u"</" + reader.ReadToStr("</", false, true);
        EXPECT_EQ(Narrow(rebuilt), test::ReadFileText(path)) << name;
    }
}

TEST(FileReader, PositionsAndErrors) {
    test::ScratchDir dir;
    const std::string path = dir.file("bytes");
    test::WriteFileText(path, "0123456789");
    TFileReader file(path);
    EXPECT_EQ(file.Size(), 10);
    char buffer[16] = {};
    file.SetPosition(4);
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 6u);
    EXPECT_EQ(std::string(buffer, 6), "456789");
    EXPECT_EQ(file.Position(), 10);
    EXPECT_TRUE(file.EndOfFile());
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
    try {
        file.SetPosition(-1);
        ADD_FAILURE();
    } catch (const EFileReader& e) {
        EXPECT_STREQ(e.what(), "File seek error");
    }
}

}  // namespace
}  // namespace tavorin
