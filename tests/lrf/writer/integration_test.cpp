// Books built through the element builders, written, checked byte by byte
// and read back with calibre's lrf2lrs.
#include <gtest/gtest.h>

#include "writer_test_util.h"

namespace tavorin::lrf::test {
namespace {

using tavorin::test::CheckLrfStructure;
using tavorin::test::HaveCalibre;
using tavorin::test::RunCommand;
using tavorin::test::ShellQuote;

// A 1x1 PNG image.
const std::vector<uint8_t> kPng = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
    0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0x1F, 0x15, 0xC4, 0x89, 0x00, 0x00, 0x00,
    0x0A, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0x00, 0x01, 0x00, 0x00, 0x05, 0x00, 0x01, 0x0D, 0x0A, 0x2D,
    0xB4, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

// The content of the page with this id in lrf2lrs output (its start tag to
// its end tag); empty when there is no such page.
std::string PageContent(const std::string& lrs, uint32_t pageId) {
    const std::string idAttribute = " objid=\"" + std::to_string(pageId) + "\">";
    for (size_t at = lrs.find("<Page "); at != std::string::npos; at = lrs.find("<Page ", at + 1)) {
        const size_t close = lrs.find('>', at) + 1;
        if (lrs.compare(close - idAttribute.size(), idAttribute.size(), idAttribute) == 0) {
            return lrs.substr(close, lrs.find("</Page>", close) - close);
        }
    }
    return {};
}

class WrittenBook : public WriterTest {
protected:
    // A book of four pages: a cover image, two chapters with running headers, a
    // note reached by a button and returning by another, and a table of contents.
    void BuildSampleBook(const ScratchDir& dir) {
        StartBook();
        store.bookInfoXml = u"<?xml version=\"1.0\" ?>\r\n<Info version=\"1.1\">\r\n<BookInfo>\r\n"
                              u"<Title reading=\"Sample Book\">Sample Book</Title>\r\n"
                              u"<Author reading=\"Ann Writer\">Ann Writer</Author>\r\n<FreeText>About it</FreeText>\r\n"
                              u"</BookInfo>\r\n<DocInfo>\r\n<Producer>tavorin</Producer>\r\n</DocInfo>\r\n</Info>\r\n";
        BuildTestStyles();
        tavorin::test::WriteFileText(dir.file("face.ttf"), "not really a font");
        RegisterFont(store, {0, "Sample Face", dir.file("face.ttf"), "Sample Face"});
        BuildImageStream(store, {.imageType = kImageTypePng, .objid = "cover.png", .width = 1, .height = 1, .data = {}},
                         kPng);

        BuildPage(store, test::Page(kFrontPageStyle));
        AddImageBlock(0, 1, 1);

        // Running headers show blocks built outside the page flow.
        const uint32_t head = BuildTextBlock(store, {kHeaderStyle, kHeaderStyle}, Paragraph(u"Running head"), BlockFlow::kFree);
        const uint32_t oddHeader = AddHeaderFooter(kKindHeader, head, 2);
        const uint32_t evenHeader = AddHeaderFooter(kKindHeader, head, 2);
        const uint32_t foot = BuildTextBlock(store, {kHeaderStyle, kHeaderStyle}, Paragraph(u"Running foot"), BlockFlow::kFree);
        const uint32_t oddFooter = AddHeaderFooter(kKindFooter, foot, 4);
        const uint32_t evenFooter = AddHeaderFooter(kKindFooter, foot, 4);

        PageRecord first = test::Page();
        first.oddHeader = oddHeader;
        first.evenHeader = evenHeader;
        first.oddFooter = oddFooter;
        first.evenFooter = evenFooter;
        BuildPage(store, first);
        using enum TextCode;
        const uint32_t chapterOne = AddTextBlock(Content({kParagraph, u"Chapter ", kItalic, u"one", kItalicEnd, u" & ", kBold, u"bold", kBoldEnd,
                                    u" words", kParagraphEnd, kLineBreak, kParagraph, u"E = mc", kSup, u"2", kSupEnd,
                                    u" and H", kSub, u"2", kSubEnd, u"O", kParagraphEnd, kLineBreak, kParagraph,
                                    {kSpan, {{Tag::kFontSize, 140}}}, u"Large", kSpanEnd, u" <quoted> \"text\"",
                                    kParagraphEnd, kLineBreak}));
        BuildBlockSpace(store, 0, 20);
        const Step dotted(kEmpLine, {{Tag::kEmpLinePosition, 2}, {Tag::kEmpLineType, 0x40}});
        const uint32_t noteLink = AddTextBlock(Content({kParagraph, u"See the note", Step::Button(0), dotted, u"[1]", kEmpLineEnd,
                                    kButtonEnd, u" here", kParagraphEnd, kLineBreak}));
        BuildButton(store, {.objid = "bf_n1"});
        BuildButton(store, {.objid = "br_n1", .block = noteLink});
        store.buttonRefs = {0, 1};  // button reference n names button n

        AddPage(oddHeader);
        store.pages.back().evenHeader = evenHeader;
        const uint32_t chapterTwo = AddTextBlock(Content({kParagraph, u"Chapter two, the last words of the main flow", kParagraphEnd, kLineBreak}));

        StartSolo(store);
        AddPage();
        store.buttons[0].block = AddTextBlock(Content({kParagraph, Step::Button(1), dotted, u"The note text", kEmpLineEnd, kButtonEnd,
                                     kParagraphEnd}));
        EndSolo(store);

        const TagValue defaults[] = {{Tag::kEmpDotsFontName, 0, u"Dutch801 Rm BT Roman"}, {Tag::kSetWaitProp, kWaitNoReplay}};
        BuildBookDefaults(store, console, defaults);
        BuildTocEntry(store, 1, chapterOne, u"Chapter one");
        BuildTocEntry(store, 2, chapterTwo, u"Chapter two");
    }

    std::string Id(uint32_t id) { return std::to_string(id); }
};

TEST_F(WrittenBook, IsSoundAndReadsBackInCalibre) {
    ScratchDir dir;
    BuildSampleBook(dir);
    const auto file = LinkAndWrite(dir.file("book.lrf"));
    ASSERT_EQ(CheckLrfStructure(file), std::vector<std::string>{});
    if (!HaveCalibre()) GTEST_SKIP() << "calibre is not installed";

    const auto run = RunCommand("lrf2lrs --dont-output-resources -o " + ShellQuote(dir.file("book.lrs")) + " " +
                                ShellQuote(dir.file("book.lrf")));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output.find("Traceback"), std::string::npos) << run.output;
    const std::string lrs = tavorin::test::ReadFileText(dir.file("book.lrs"));
    const ObjectStore& s = store;

    // The text arrives with its markup, entities resolved.
    for (const char* text : {"Chapter <Italic>one</Italic> &amp; ", "bold", "E = mc<Sup>2</Sup> and H<Sub>2</Sub>O",
                             "&lt;quoted&gt; \"text\"", "The note text", "tavorin_c v.1.3"}) {
        EXPECT_NE(lrs.find(text), std::string::npos) << text;
    }
    // The table of contents points at the blocks of the chapters, on their pages.
    const std::string toc1 = "<TocLabel refpage=\"" + Id(s.pages[1].id) + "\" refobj=\"" + Id(s.blocks[3].id) + "\">";
    const std::string toc2 = "<TocLabel refpage=\"" + Id(s.pages[2].id) + "\" refobj=\"" + Id(s.blocks[5].id) + "\">";
    EXPECT_NE(lrs.find(toc1 + "Chapter one</TocLabel>"), std::string::npos) << lrs;
    EXPECT_NE(lrs.find(toc2 + "Chapter two</TocLabel>"), std::string::npos) << lrs;
    EXPECT_NE(PageContent(lrs, s.pages[1].id).find("<TextBlock objid=\"" + Id(s.blocks[3].id)), std::string::npos);
    EXPECT_NE(PageContent(lrs, s.pages[2].id).find("<TextBlock objid=\"" + Id(s.blocks[5].id)), std::string::npos);

    // The note link jumps to the note's block on the note page, and back.
    EXPECT_NE(lrs.find("<CharButton refobj=\"" + Id(s.buttons[0].id) + "\">"), std::string::npos);
    const std::string forward = "<JumpTo refpage=\"" + Id(s.pages[3].id) + "\" refobj=\"" + Id(s.blocks[6].id) + "\"";
    const std::string back = "<JumpTo refpage=\"" + Id(s.pages[1].id) + "\" refobj=\"" + Id(s.blocks[4].id) + "\"";
    EXPECT_NE(lrs.find(forward), std::string::npos) << lrs;
    EXPECT_NE(lrs.find(back), std::string::npos) << lrs;
    EXPECT_NE(PageContent(lrs, s.pages[3].id).find("<TextBlock objid=\"" + Id(s.blocks[6].id)), std::string::npos);
    EXPECT_NE(PageContent(lrs, s.pages[1].id).find("<TextBlock objid=\"" + Id(s.blocks[4].id)), std::string::npos);

    // The cover image and the running header survive too.
    EXPECT_NE(PageContent(lrs, s.pages[0].id).find("refstream=\"" + Id(s.imageStreams[0].id)), std::string::npos);
    EXPECT_NE(lrs.find("<PutObj x1=\"0\" y1=\"2\" refobj=\"" + Id(s.blocks[1].id) + "\" />"), std::string::npos);
    EXPECT_NE(lrs.find("<PutObj x1=\"0\" y1=\"4\" refobj=\"" + Id(s.blocks[2].id) + "\" />"), std::string::npos);

    // The metadata block reads back.
    const auto meta = RunCommand("ebook-meta " + ShellQuote(dir.file("book.lrf")));
    EXPECT_EQ(meta.output.find("Traceback"), std::string::npos) << meta.output;
    EXPECT_NE(meta.output.find("Sample Book"), std::string::npos) << meta.output;
    EXPECT_NE(meta.output.find("Ann Writer"), std::string::npos) << meta.output;
}

}  // namespace
}  // namespace tavorin::lrf::test
