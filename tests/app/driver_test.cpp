// Whole conversions of books the tests make, through the library: a book
// without a description, a description cut off, and nesting far deeper than
// any stack would take one frame per element.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "converter_run.h"
#include "support/e2e_words.h"
#include "support/lrf_check.h"
#include "support/test_util.h"
#include "tavorin/convert.h"

namespace tavorin::test {
namespace {

struct Converted {
    ConvertResult result;
    std::string printed;
    LrfFile book;
    std::u16string text;  // of every text block
};

Converted Convert(const std::string& name, const std::string& fb2) {
    ScratchDir dir;
    WriteFileText(dir.file(name), fb2);
    StringSink console;
    Converted out{ConvertBook(dir.file(name), dir.file("book.lrf"), kShippedSettings, dir.path().string(), console),
                  console.text(), {}, {}};
    out.book = ReadLrf(ReadFileBytes(dir.file("book.lrf")));
    for (const LrfObject* block : out.book.OfType(0x0A)) {
        for (const TextItem& item : DecodeTextStream(block->stream)) out.text += item.code == 0 ? item.text : u" ";
    }
    return out;
}

const std::string kStart = "<?xml version=\"1.0\"?>\n<FictionBook>\n";

TEST(Driver, BookWithoutDescriptionTakesItsTitleFromTheBodyOrTheFileName) {
    for (const auto& [title, expected] : {std::pair{"<title><p>Body</p><p>Title</p></title>", u">Body. Title<"},
                                          std::pair{"", u">my book<"}}) {
        const Converted c = Convert("my book.fb2", kStart + "<body>" + title +
                                                       "<section><p>Only words</p></section></body></FictionBook>");
        EXPECT_EQ(c.result.exitCode, 0) << c.printed;
        EXPECT_NE(c.printed.find("Error: No description"), std::string::npos) << c.printed;
        EXPECT_NE(c.book.MetadataText().find(u"<Author reading=\"\"></Author>"), std::u16string::npos);
        EXPECT_NE(c.book.MetadataText().find(std::u16string(expected) + u"/Title>"), std::u16string::npos);
        EXPECT_NE(c.text.find(u"Only words"), std::u16string::npos);
    }
    const Converted cut = Convert("cut.fb2", kStart + "<description><title-info><book-title>Cut</book-title>");
    EXPECT_EQ(cut.result.exitCode, 10) << cut.printed;
}

TEST(Driver, ThirtyThousandNestedElementsKeepEveryWord) {
    constexpr int kDepth = 30000;
    std::string sections, emphasis;
    for (int i = 0; i < kDepth; ++i) {
        sections += "<section><title><p>t" + std::to_string(i) + "</p></title><p>w" + std::to_string(i) + "</p>";
    }
    for (int i = 0; i < kDepth; ++i) sections += "</section>";
    for (int i = 0; i < kDepth; ++i) emphasis += "<emphasis>e" + std::to_string(i) + " ";
    for (int i = 0; i < kDepth; ++i) emphasis += "</emphasis>";
    const std::string head = kStart + "<description><title-info><book-title>Deep</book-title></title-info>" +
                             "</description><body><section>";
    const Converted c = Convert("deep.fb2", head + sections + "</section><section><p>" + emphasis +
                                                "</p></section></body></FictionBook>");
    ASSERT_EQ(c.result.exitCode, 0) << c.printed;
    std::set<std::string> words;
    for (const std::u32string& word : SplitWords(std::u32string(c.text.begin(), c.text.end())))
        words.insert(Utf32ToUtf8(word));
    for (const char* kind : {"t", "w", "e"}) {
        for (int i = 0; i < kDepth; ++i) ASSERT_TRUE(words.count(kind + std::to_string(i))) << kind << i;
    }
}

}  // namespace
}  // namespace tavorin::test
