// The written file: header, metadata, index, page structure, table of
// contents, fonts, thumbnail, progress and the atomic save.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "writer_test_util.h"

namespace tavorin::lrf::test {
namespace {

using tavorin::test::CheckLrfStructure;
using tavorin::test::LrfFile;
using tavorin::test::LrfObject;
using tavorin::test::ReadLrf;
using tavorin::test::TextStreamText;

std::vector<uint32_t> ChildIds(const LrfObject& page) {
    std::vector<uint32_t> ids;
    if (const auto* list = page.Find(0xF50B)) {
        for (size_t k = 0; k < list->U16(); ++k) ids.push_back(list->U32(2 + 4 * k));
    }
    return ids;
}

class FileWriter : public WriterTest {
protected:
    // The odd header of a pair (the even one follows it).
    uint32_t AddHeaderPair() {
        const uint32_t block = BuildTextBlock(store, {kHeaderStyle, kHeaderStyle}, Paragraph(u"Running title"), BlockFlow::kFree);
        const uint32_t odd = AddHeaderFooter(kKindHeader, block, 2);
        AddHeaderFooter(kKindHeader, block, 2);
        return odd;
    }
};
using WriteLrfFileTest = FileWriter;

TEST_F(WriteLrfFileTest, HeaderIndexAndMetadata) {
    ScratchDir dir;
    StartBook();
    BuildTestStyles();
    AddPage();
    AddTextBlock(Paragraph(u"Hello"));
    const auto file = LinkAndWrite(dir.file("book.lrf"));

    EXPECT_EQ(CheckLrfStructure(file), std::vector<std::string>{});
    const LrfFile f = ReadLrf(file);
    EXPECT_EQ(f.version, 999);
    EXPECT_EQ(f.scrambleKey, kScrambleKey);
    EXPECT_EQ(f.bindingDirection, 1);
    EXPECT_EQ(f.dpi, 1600u);
    EXPECT_EQ(f.screenWidth, 584);
    EXPECT_EQ(f.screenHeight, 754);
    EXPECT_EQ(f.colorDepth, 24);
    EXPECT_EQ(f.objectCount, store.lastId - 49);
    EXPECT_EQ(f.objectCount, f.objects.size());
    EXPECT_EQ(f.indexOffset % 16, 0u);
    EXPECT_EQ(f.indexOffset + 16 * f.objectCount, file.size());
    EXPECT_EQ(f.objects.front().offset, 88u + f.metadataSize - 4);  // no thumbnail: no padding
    EXPECT_EQ(f.metadataUncompressedSize, 2 * store.bookInfoXml.size() + 2);
    EXPECT_EQ(f.MetadataText(), store.bookInfoXml);
    EXPECT_EQ(f.thumbnailType, 0);
    EXPECT_EQ(f.thumbnailSize, 0u);

    std::vector<uint16_t> types;
    for (const LrfObject& o : f.objects) types.push_back(o.type);
    EXPECT_EQ(types, (std::vector<uint16_t>{0x02, 0x1E, 0x01, 0x1C, 0x06, 0x0A, 0x05, 0x05, 0x07, 0x07, 0x0B, 0x0B}));

    // The text stream of the last main-flow block ends with the credit.
    const LrfObject& text = f.objects[5];
    EXPECT_EQ(text.streamFlags, 0x0300);
    EXPECT_EQ(TextStreamText(text.stream).substr(0, 5), u"Hello");
    EXPECT_NE(TextStreamText(text.stream).find(u"tavorin_c v.1.3"), std::u16string::npos);
    EXPECT_EQ(printed.text(), "\r50%\r75%\r87%\r93%");
}

TEST_F(WriteLrfFileTest, PagesListChildrenOnceAndShareHeaders) {
    ScratchDir dir;
    StartBook();
    BuildTestStyles();
    AddPage(AddHeaderPair());
    BuildBlockSpace(store, 100, 20);
    AddTextBlock(Paragraph(u"One"));
    const auto file = LinkAndWrite(dir.file("book.lrf"));
    ASSERT_EQ(CheckLrfStructure(file), std::vector<std::string>{});

    const LrfFile f = ReadLrf(file);
    const ObjectStore& s = store;
    const LrfObject& page = *f.Object(s.pages[0].id);
    const uint32_t header = s.headers[0].id;
    EXPECT_EQ(ChildIds(page), (std::vector<uint32_t>{header, s.blocks[1].id, s.blockStyles[0].id, s.textBlocks[1].id,
                                                     s.textStyles[0].id, s.blocks[0].id, s.blockStyles[1].id,
                                                     s.textBlocks[0].id, s.textStyles[1].id}));
    EXPECT_EQ(page.Find(0xF507)->U32(), header);
    EXPECT_EQ(page.Find(0xF508)->U32(), header);
    EXPECT_EQ(page.Find(0xF509), nullptr);
    EXPECT_EQ(page.Find(0xF503)->U32(), s.pageStyles[1].id);
    EXPECT_EQ(page.Find(0xF57C)->U32(), s.mainPageTreeId);
    EXPECT_EQ(page.streamFlags, 0x0200);
    EXPECT_EQ(page.stream, Words({0xF547, 100, 0xF546, 20, 0xF503, s.blocks[1].id & 0xFFFF, s.blocks[1].id >> 16}));
    // The block names its child by id.
    EXPECT_EQ(f.Object(s.blocks[1].id)->stream, Words({0xF503, s.textBlocks[1].id & 0xFFFF, 0}));
    // Writing only reads the store: the same store written again gives the same book.
    EXPECT_TRUE(WriteLrfFile(store, console, dir.file("again.lrf"), inputPath).ok());
    EXPECT_EQ(tavorin::test::ReadFileBytes(dir.file("again.lrf")), file);
}

TEST_F(WriteLrfFileTest, SoloPagesGetTreesOfTheirOwn) {
    ScratchDir dir;
    StartBook();
    BuildTestStyles();
    for (int p = 0; p < 2; ++p) {
        AddPage();
        AddTextBlock(Paragraph(u"Main"));
    }
    StartSolo(store);
    for (int p = 2; p < 4; ++p) {
        AddPage();
        AddTextBlock(Paragraph(u"Note"));
        AddTextBlock(Paragraph(u"More"));
    }
    EndSolo(store);
    const auto file = LinkAndWrite(dir.file("book.lrf"));
    ASSERT_EQ(CheckLrfStructure(file), std::vector<std::string>{});

    const LrfFile f = ReadLrf(file);
    const ObjectStore& s = store;
    EXPECT_EQ(f.OfType(0x01).size(), 3u);
    const auto* mainList = f.Object(s.mainPageTreeId)->Find(0xF55C);
    EXPECT_EQ(mainList->value, Words({2, s.pages[0].id, 0, s.pages[1].id, 0}));
    for (size_t p = 2; p < 4; ++p) {
        const uint32_t tree = s.mainPageTreeId + static_cast<uint32_t>(p - 1);
        EXPECT_EQ(f.Object(s.pages[p].id)->Find(0xF57C)->U32(), tree);
        EXPECT_EQ(f.Object(tree)->Find(0xF55C)->value, Words({1, s.pages[p].id, 0}));
    }
    // The credit goes to the last block of the main flow, not to a note.
    for (size_t t = 0; t < s.textBlocks.size(); ++t) {
        const bool credited = TextStreamText(f.Object(s.textBlocks[t].id)->stream).find(u"v.1.3") != std::u16string::npos;
        EXPECT_EQ(credited, t == 1) << "text block " << t;
    }
}

TEST_F(WriteLrfFileTest, TableOfContentsStream) {
    ScratchDir dir;
    StartBook();
    BuildTestStyles();
    AddPage();
    AddTextBlock(Paragraph(u"One"));
    auto file = LinkAndWrite(dir.file("empty.lrf"));
    EXPECT_EQ(ReadLrf(file).Object(store.tocId)->stream, Words({0, 0}));

    StartBook();
    BuildTestStyles();
    AddPage();
    AddTextBlock(Paragraph(u"One"));
    AddTextBlock(Paragraph(u"Two"));
    BuildTocEntry(store, 0, 0, u"Part One");
    BuildTocEntry(store, 0, 1, u"Two");
    file = LinkAndWrite(dir.file("two.lrf"));
    ASSERT_EQ(CheckLrfStructure(file), std::vector<std::string>{});
    const LrfFile f = ReadLrf(file);
    const LrfObject& toc = *f.Object(store.tocId);
    EXPECT_EQ(f.tocOffset, toc.offset);
    // Ids in creation order.
    const uint32_t page = f.OfType(2)[0]->id, b0 = f.OfType(6)[0]->id, b1 = f.OfType(6)[1]->id;
    ByteBuffer expected = Words({2, 0, 0, 0, 10 + 16, 0, page, 0, b0, 0, 16});
    PutUtf16(expected, u"Part One");
    const ByteBuffer second = Words({page, 0, b1, 0, 6, 'T', 'w', 'o'});
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(toc.stream, expected);
    EXPECT_EQ(toc.streamFlags, 0x0051);
}

// A label's byte count is 16 bits: a longer label is cut between characters
// and the entries after it stay readable.
TEST_F(WriteLrfFileTest, OverlongTocLabelIsCutToFit) {
    ScratchDir dir;
    StartBook();
    BuildTestStyles();
    AddPage();
    AddTextBlock(Paragraph(u"One"));
    WString longLabel(32766, u'x');
    longLabel += u"\U0001F600tail";  // a surrogate pair straddling the limit
    BuildTocEntry(store, 0, 0, longLabel);
    BuildTocEntry(store, 0, 0, u"Two");
    const auto file = LinkAndWrite(dir.file("long.lrf"));
    ASSERT_EQ(CheckLrfStructure(file), std::vector<std::string>{});
    const LrfFile book = ReadLrf(file);
    const ByteBuffer& stream = book.Object(store.tocId)->stream;
    ASSERT_GE(stream.size(), 22u);
    EXPECT_EQ(GetU16(stream, 12 + 8), 2 * 32766);
    const size_t second = 12 + 10 + 2 * 32766;
    ASSERT_EQ(stream.size(), second + 10 + 6);
    EXPECT_EQ(GetU16(stream, second + 8), 6);
}

TEST_F(WriteLrfFileTest, UnreadableFontIsNeitherWrittenNorCounted) {
    ScratchDir dir;
    tavorin::test::WriteFileText(dir.file("a.ttf"), "font A");
    tavorin::test::WriteFileText(dir.file("c.ttf"), "font C");
    StartBook();
    BuildTestStyles();
    AddPage();
    AddTextBlock(Paragraph(u"One"));
    for (const char* name : {"a", "b", "c"}) {
        const std::string face = "Face " + std::string(name);
        RegisterFont(store, {0, face, dir.file(std::string(name) + ".ttf"), face});
    }
    const auto file = LinkAndWrite(dir.file("book.lrf"));

    EXPECT_NE(printed.text().find("\nError: Font File" + dir.file("b.ttf") + " not found\n"), std::string::npos);
    EXPECT_EQ(CheckLrfStructure(file), std::vector<std::string>{});
    const LrfFile f = ReadLrf(file);
    const auto fonts = f.OfType(0x19);
    ASSERT_EQ(fonts.size(), 1u);
    EXPECT_EQ(f.Object(f.rootId)->FindAll(0xF5D8).size(), 1u);
    EXPECT_EQ(fonts[0]->stream, (std::vector<uint8_t>{'f', 'o', 'n', 't', ' ', 'A'}));
    EXPECT_EQ(fonts[0]->streamFlags, 0x0141);
    ByteBuffer faceName = Words({0xF55D, 12});
    PutUtf16(faceName, u"Face a");
    EXPECT_EQ(fonts[0]->Find(0xF55D)->value, ByteBuffer(faceName.begin() + 2, faceName.end()));
}

TEST_F(WriteLrfFileTest, ThumbnailBesideTheInput) {
    struct Example {
        const char* name;
        uint16_t type;
    };
    for (const Example& e : {Example{"cover.jpg", 0}, Example{"cover.jpeg", 17}}) {
        ScratchDir dir;
        tavorin::test::WriteFileText(dir.file(e.name), "thumbnail bytes");
        StartBook();
        inputPath = dir.file("book.fb2");
        store.thumbnailFile = e.name;
        BuildTestStyles();
        AddPage();
        const auto file = LinkAndWrite(dir.file("book.lrf"));
        ASSERT_EQ(CheckLrfStructure(file), std::vector<std::string>{});
        const LrfFile f = ReadLrf(file);
        EXPECT_EQ(f.thumbnailType, e.type) << e.name;
        EXPECT_EQ(f.thumbnailSize, 15u);
        const size_t at = 88 + f.metadataSize - 4;
        EXPECT_EQ(std::string(file.begin() + at, file.begin() + at + 15), "thumbnail bytes");
        EXPECT_EQ(f.objects.front().offset, (at + 15 + 15) / 16 * 16);
    }
}

TEST_F(WriteLrfFileTest, ImageStreamScramblesTheFirst1024Bytes) {
    ScratchDir dir;
    StartBook();
    BuildTestStyles();
    std::vector<uint8_t> image(3000);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 13 + 5);
    image[0] = 0xFF;
    image[1] = 0xD8;
    BuildImageStream(store, {.imageType = kImageTypeJpeg, .objid = "img", .width = 10, .height = 10, .data = {}},
                     image);
    AddPage();
    AddImageBlock(0, 10, 10);
    const auto file = LinkAndWrite(dir.file("book.lrf"));
    ASSERT_EQ(CheckLrfStructure(file), std::vector<std::string>{});
    const LrfFile f = ReadLrf(file);
    const LrfObject& stream = *f.Object(store.imageStreams[0].id);
    EXPECT_EQ(stream.streamFlags, 0x0211);
    EXPECT_EQ(stream.stream, image);
    EXPECT_NE(stream.storedStream[1023], image[1023]);
    EXPECT_EQ(stream.storedStream[1024], image[1024]);
}

TEST_F(WriteLrfFileTest, BookPastSixteenBitIds) {
    ScratchDir dir;
    StartBook();
    BuildTestStyles();
    for (int i = 0; i < 33000; ++i) {
        if (i % 1000 == 0) AddPage();
        AddTextBlock(Paragraph(u"x"));
    }
    const auto file = LinkAndWrite(dir.file("book.lrf"));
    EXPECT_EQ(CheckLrfStructure(file), std::vector<std::string>{});
    EXPECT_EQ(ReadLrf(file).objectCount, 66042u);
}

// A page tree or a page child list past its 16-bit count is not written cut
// short: the book is refused with code 14 and no file.
TEST_F(WriteLrfFileTest, ListsPastTheirCountsAreRefused) {
    for (const auto& [pages, blocksPerPage, what] :
         {std::tuple{70000, 0, "a page tree of 70000 objects"}, std::tuple{1, 33000, "a page of 66"}}) {
        ScratchDir dir;
        StartBook();
        BuildTestStyles();
        for (int p = 0; p < pages; ++p) AddPage();
        for (int b = 0; b < blocksPerPage; ++b) AddTextBlock(Paragraph(u"x"));
        AssignObjectIds(store);
        LinkObjects(store, console);
        const Status status = WriteLrfFile(store, console, dir.file("book.lrf"), "");
        EXPECT_EQ(status.code, kExitBookTooLarge);
        EXPECT_TRUE(status.message.starts_with(std::string("Error: Book too large for the LRF format: ") + what))
            << status.message;
        EXPECT_FALSE(std::filesystem::exists(dir.file("book.lrf")));
    }
}

// Metadata whose compressed form overflows the 16-bit size field is
// shortened where the XML stays well formed, each cut value ending in "…",
// with an Error: line naming what was cut: the FreeText alone when that is
// enough, else every value (the title, its reading attribute) too.
WString NoiseText(size_t n, uint32_t seed) {
    WString text;
    for (size_t i = 0; i < n; ++i) {
        seed = seed * 1103515245 + 12345;
        text.push_back(static_cast<char16_t>(0x4E00 + (seed >> 16) % 20000));
        if (i % 7 == 0) text += u"&amp;";
    }
    return text;
}

TEST_F(WriteLrfFileTest, OversizedMetadataIsShortenedToFit) {
    struct Case {
        WString title, freeText, shortened;
    };
    const Case cases[] = {
        {u"Short", NoiseText(60000, 1), u"FreeText"},
        {NoiseText(60000, 2), u"About", u"Title"},
        {NoiseText(40000, 3), NoiseText(40000, 4), u"Title, FreeText"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.shortened));
        ScratchDir dir;
        StartBook();
        BuildTestStyles();
        AddPage();
        store.bookInfoXml = u"<Info><BookInfo><Title reading=\"" + c.title + u"\">" + c.title +
                            u"</Title><FreeText>" + c.freeText +
                            u"</FreeText></BookInfo><DocInfo><Producer>tavorin</Producer></DocInfo></Info>";
        const auto file = LinkAndWrite(dir.file("book.lrf"));
        ASSERT_EQ(CheckLrfStructure(file), std::vector<std::string>{});
        EXPECT_NE(printed.text().find("Error: Metadata too long for its field, shortened: " + Narrow(c.shortened)),
                  std::string::npos) << printed.text();

        const std::u16string xml = ReadLrf(file).MetadataText();
        for (const auto& [open, close, whole] :
             {std::tuple{WString(u"<FreeText>"), WString(u"</FreeText>"), c.freeText},
              std::tuple{WString(u"\">"), WString(u"</Title>"), c.title}}) {
            const size_t from = xml.find(open) + open.size();
            ASSERT_NE(xml.find(close, from), std::u16string::npos);
            std::u16string kept = xml.substr(from, xml.find(close, from) - from);
            if (kept == whole) continue;
            ASSERT_TRUE(kept.ends_with(u"\u2026")) << "a shortened value ends in an ellipsis";
            kept.pop_back();
            EXPECT_TRUE(whole.starts_with(kept));
            EXPECT_GT(kept.size(), 1000u);
            const size_t amp = kept.rfind(u'&');
            if (amp != std::u16string::npos) {
                EXPECT_EQ(kept.compare(amp, 5, u"&amp;"), 0);  // no entity cut in two
            }
        }
        EXPECT_TRUE(xml.ends_with(u"<Producer>tavorin</Producer></DocInfo></Info>"));
    }
}

class AtomicWrite : public WriterTest {
protected:
    void SetUp() override {
        StartBook();
        BuildTestStyles();
        AddPage();
        AssignObjectIds(store);
        LinkObjects(store, console);
    }
    // Writes, expecting exit code 11 and its message.
    void ExpectFailure(const std::string& path) {
        const Status status = WriteLrfFile(store, console, path, "");
        EXPECT_EQ(status.code, kExitCannotWriteOutput);
        EXPECT_EQ(status.message, "Cannot write outputfile:" + path);
    }
    static size_t Entries(const std::filesystem::path& folder) {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
    }
    ScratchDir dir_;
};

TEST_F(AtomicWrite, MissingFolder) { ExpectFailure(dir_.file("no/such/folder/book.lrf")); }

TEST_F(AtomicWrite, FailedRenameLeavesTargetAndNoTemporaryFile) {
    std::filesystem::create_directory(dir_.file("book.lrf"));  // a target that cannot be replaced
    ExpectFailure(dir_.file("book.lrf"));
    EXPECT_TRUE(std::filesystem::is_directory(dir_.file("book.lrf")));
    EXPECT_EQ(Entries(dir_.path()), 1u);
}

TEST_F(AtomicWrite, UnwritableFolderKeepsTheOldFile) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    tavorin::test::WriteFileText(dir_.file("book.lrf"), "old book");
    std::filesystem::permissions(dir_.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    ExpectFailure(dir_.file("book.lrf"));
    std::filesystem::permissions(dir_.path(), std::filesystem::perms::owner_all);
    EXPECT_EQ(tavorin::test::ReadFileText(dir_.file("book.lrf")), "old book");
    EXPECT_EQ(Entries(dir_.path()), 1u);
}

TEST_F(AtomicWrite, ReplacesAnExistingFile) {
    tavorin::test::WriteFileText(dir_.file("book.lrf"), "old book");
    EXPECT_TRUE(WriteLrfFile(store, console, dir_.file("book.lrf"), "").ok());
    EXPECT_EQ(CheckLrfStructure(tavorin::test::ReadFileBytes(dir_.file("book.lrf"))), std::vector<std::string>{});
    EXPECT_EQ(Entries(dir_.path()), 1u);
}

}  // namespace
}  // namespace tavorin::lrf::test
