// Whole conversions of books the tests make, through the library: a book
// without a description, a description cut off, an encoding nothing knows,
// and nesting far deeper than a stack takes one frame per element.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "converter_run.h"
#include "support/e2e_words.h"
#include "support/lrf_check.h"
#include "support/test_util.h"
#include "tavorin/convert.h"
#include "text/console.h"

namespace tavorin::test {
namespace {

struct Converted {
    int exitCode;
    std::string printed;
    std::u16string metadata, text;  // the text of every text block, a blank for each tag
};

Converted Convert(const std::string& name, const std::string& fb2) {
    ScratchDir dir;
    WriteFileText(dir.file(name), fb2);
    StringSink console;
    const int code = ConvertBook(dir.file(name), dir.file("b.lrf"), kShippedSettings, "", console).exitCode;
    const LrfFile book = ReadLrf(ReadFileBytes(dir.file("b.lrf")));
    Converted out{code, console.text(), book.MetadataText(), {}};
    for (const LrfObject* block : book.OfType(0x0A)) {
        for (const TextItem& item : DecodeTextStream(block->stream)) out.text += item.code == 0 ? item.text : u" ";
    }
    return out;
}

const std::string kStart = "<?xml version=\"1.0\"?>\n<FictionBook>\n";

TEST(Driver, BookWithoutDescriptionTakesItsTitleFromTheBodyOrTheFileName) {
    for (const auto& [title, expected] : {std::pair{"<title><p>Body</p><p>Title</p></title>", u">Body. Title<"},
                                          std::pair{"", u">my book<"}}) {
        const Converted c = Convert("my book.fb2", kStart + "<body>" + title + "<p>Only words</p></body></FictionBook>");
        EXPECT_EQ(c.exitCode, 0) << c.printed;
        EXPECT_NE(c.printed.find("Error: No description"), std::string::npos) << c.printed;
        EXPECT_NE(c.metadata.find(std::u16string(expected) + u"/Title>"), std::u16string::npos);
        EXPECT_NE(c.metadata.find(u"<Author reading=\"\"></Author>"), std::u16string::npos);
        EXPECT_NE(c.text.find(u"Only words"), std::u16string::npos);
    }
    EXPECT_EQ(Convert("cut.fb2", kStart + "<description><title-info><book-title>Cut</book-title>").exitCode, 10);
    const Converted unknown = Convert("x.fb2", "<?xml version=\"1.0\" encoding=\"x-unknown\"?><FictionBook>\xC0 ");
    EXPECT_EQ(unknown.exitCode, 12);
    EXPECT_NE(unknown.printed.find("\"x-unknown\""), std::string::npos) << unknown.printed;
}

TEST(Driver, ThirtyThousandNestedElementsKeepEveryWord) {
    constexpr int kDepth = 30000;
    std::string book = kStart + "<description><title-info><book-title>D</book-title></title-info></description><body>";
    std::string closing;
    for (int i = 0; i < kDepth; ++i) {
        book += "<section><title><p>t" + std::to_string(i) + "</p></title><p>w" + std::to_string(i) + "</p>";
        closing += "</section>";
    }
    book += closing + "<section><p>";
    for (int i = 0; i < kDepth; ++i) book += "<emphasis>e" + std::to_string(i) + " ";
    for (int i = 0; i < kDepth; ++i) book += "</emphasis>";
    const Converted c = Convert("deep.fb2", book + "</p></section></body></FictionBook>");
    ASSERT_EQ(c.exitCode, 0) << c.printed;
    std::set<std::string> words;
    for (const std::u32string& word : SplitWords(std::u32string(c.text.begin(), c.text.end())))
        words.insert(Utf32ToUtf8(word));
    for (const char* kind : {"t", "w", "e"}) {
        for (int i = 0; i < kDepth; ++i) ASSERT_TRUE(words.count(kind + std::to_string(i))) << kind << i;
    }
}

}  // namespace
}  // namespace tavorin::test
