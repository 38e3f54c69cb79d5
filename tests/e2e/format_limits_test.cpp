// Books past the LRF format's 16-bit fields, generated here: more pages than
// a page tree counts, more contents entries than readers count, more blocks
// on a page than its child list counts (links, notes), and metadata longer
// than its size field (a long title, a book title left unclosed). Each either
// converts into a sound book (the structure check looks at every counted
// list) with the `Error:` line that names what was shortened, or is refused
// with code 14 and no file; calibre's ebook-meta reads title and author.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "support/calibre_tools.h"
#include "support/e2e_convert.h"
#include "support/lrf_check.h"
#include "support/test_util.h"

namespace tavorin::test {
namespace {

const std::string kHead =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<FictionBook xmlns:l=\"http://www.w3.org/1999/xlink\"><description><title-info>"
    "<author><first-name>Ada</first-name><last-name>Quill</last-name></author><book-title>";

// Words of letters drawn from a fixed seed: text that deflate cannot shrink much.
std::string Words(size_t count, uint32_t seed) {
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        seed = seed * 1103515245 + 12345;
        const size_t length = 2 + (seed >> 16) % 8;
        for (size_t k = 0; k < length; ++k) {
            seed = seed * 1103515245 + 12345;
            text.push_back(static_cast<char>('a' + (seed >> 16) % 26));
        }
        text.push_back(' ');
    }
    return text;
}

std::string Book(const std::string& title, const std::string& body) {
    return kHead + title + "</book-title><lang>en</lang></title-info></description>\n<body>" + body +
           "</body></FictionBook>\n";
}

// A dictionary: each entry a titled top-level section, on a page of its own.
std::string Dictionary(int entries) {
    std::string body;
    for (int i = 0; i < entries; ++i) {
        body += "<section><title><p>Entry " + std::to_string(i) + "</p></title><p>Meaning " + std::to_string(i) +
                ".</p></section>\n";
    }
    return Book("Dictionary", body);
}

// One section whose paragraphs each link elsewhere: one block each, all on one page.
std::string Links(int paragraphs) {
    std::string body = "<section><title><p>One</p></title>";
    for (int i = 0; i < paragraphs; ++i) {
        body += "<p id=\"p" + std::to_string(i) + "\">Text <a l:href=\"#p" + std::to_string(i * 7 % paragraphs) +
                "\">link</a>.</p>\n";
    }
    return Book("Links", body + "</section>");
}

std::string Notes(int notes) {
    std::string body = "<section><title><p>One</p></title>";
    for (int i = 0; i < notes; ++i) {
        body += "<p>Text<a l:href=\"#n" + std::to_string(i) + "\" type=\"note\">[" + std::to_string(i) + "]</a>.</p>\n";
    }
    body += "</section></body>\n<body name=\"notes\">";
    for (int i = 0; i < notes; ++i) {
        body += "<section id=\"n" + std::to_string(i) + "\"><p>Note " + std::to_string(i) + ".</p></section>\n";
    }
    return Book("Notes", body);
}

// The conversion fuzzer's finding: a book title left open runs on over the
// rest of the description and the body, up to a later one's end tag.
std::string UnclosedTitle() {
    std::string book = kHead + "Unclosed<lang>en</lang></title-info></description>\n<body>";
    for (int i = 0; i < 1500; ++i) {
        book += "<section><title><p>Entry " + std::to_string(i) + "</p></title><p>" + Words(8, i) + "</p></section>\n";
    }
    return book + "</body><src-title-info><book-title>Original</book-title></src-title-info></description>"
                  "<body><section><p>End.</p></section></body></FictionBook>\n";
}

struct LimitCase {
    std::string name;
    std::function<std::string()> book;
    std::string errorLine;  // the Error: line expected, empty for none
    bool heavy = false;     // skipped in sanitizer builds
};

void PrintTo(const LimitCase& c, std::ostream* out) { *out << c.name; }

class FormatLimitsTest : public ::testing::TestWithParam<LimitCase> {};

TEST_P(FormatLimitsTest, ConvertsWithinTheFieldsOrRefuses) {
    const LimitCase& c = GetParam();
#if defined(__SANITIZE_ADDRESS__)
    if (c.heavy) GTEST_SKIP() << "too slow with the sanitizers";
#endif
    ScratchDir dir;
    const std::string input = dir.file("book.fb2");
    const std::string output = dir.file("book.lrf");
    WriteFileText(input, c.book());

    const CommandResult run = ConvertWithExe(input, output, dir.path().string(), dir.file("tmp"));
    ASSERT_TRUE(run.exitCode == 0 || run.exitCode == 14) << run.output;
    if (run.exitCode == 14) {
        EXPECT_NE(run.output.find("Error: Book too large for the LRF format: "), std::string::npos) << run.output;
        EXPECT_FALSE(std::filesystem::exists(output)) << "a refused book must not be written";
        return;
    }
    if (!c.errorLine.empty()) {
        EXPECT_NE(run.output.find(c.errorLine), std::string::npos) << run.output;
    }
    std::string problems;
    for (const auto& problem : CheckLrfStructure(ReadFileBytes(output))) problems += "\n  " + problem;
    EXPECT_TRUE(problems.empty()) << "the book's structure is broken:" << problems;
    if (!HaveCalibre()) return;
    const EbookMeta meta = RunEbookMeta(output);
    EXPECT_FALSE(ToolFailed(meta.run)) << meta.run.output;
    EXPECT_FALSE(meta.title.empty() || meta.title == "book") << meta.run.output;
    EXPECT_TRUE(meta.authors.starts_with("Ada Quill")) << meta.run.output;
}

INSTANTIATE_TEST_SUITE_P(
    Books, FormatLimitsTest,
    ::testing::Values(
        LimitCase{"PagesPastThePageTree", [] { return Dictionary(65600); },
                  "Error: Table of contents too long for its field, shortened to 65535 entries of 65600", true},
        LimitCase{"LinksOnOnePage", [] { return Links(34000); }, ""},
        LimitCase{"NotesOnOnePage", [] { return Notes(34000); }, ""},
        LimitCase{"LongTitle", [] { return Book(Words(12000, 1), "<section><p>Text.</p></section>"); },
                  "Error: Metadata too long for its field, shortened: Title"},
        LimitCase{"UnclosedBookTitle", UnclosedTitle, "Error: Metadata too long for its field, shortened: Title"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace tavorin::test
