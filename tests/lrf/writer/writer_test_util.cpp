// Helpers of the writer tests.
#include "writer_test_util.h"

namespace tavorin::lrf::test {

void WriterTest::StartBook() {
    store = ObjectStore{};
    ApplyBookSetting(store, console, u"<BookSetting screenwidth=\"584\" screenheight=\"754\" bindingdirection=\"Lr\" dpi=\"1600\" "
                     u"colordepth=\"24\"/>");
    store.bookInfoXml = u"<?xml version=\"1.0\" ?>\r\n<Info version=\"1.1\">\r\n<BookInfo>\r\n<Title reading=\"T\">T"
                          u"</Title>\r\n<FreeText></FreeText>\r\n</BookInfo>\r\n</Info>\r\n";
}

void WriterTest::BuildTestStyles() {
    const WStringView page =
        u" textwidth=\"584\" textheight=\"700\" evensidemargin=\"0\" oddsidemargin=\"0\" topmargin=\"10\" "
        u"headheight=\"20\" headsep=\"4\" footheight=\"20\" footspace=\"24\" layout=\"LrTb\" pageposition=\"any\" "
        u"bgimagemode=\"fix\" setemptyview=\"empty\" setwaitprop=\"noreplay\"";
    BuildStyle(store, console, kKindPageStyle, WString(u"<PageStyle stylelabel=\"ps_front\" objid=\"ps_front\"") + WString(page));
    BuildStyle(store, console, kKindPageStyle, WString(u"<PageStyle stylelabel=\"ps_main\"") + WString(page));
    const WStringView block =
        u" blockwidth=\"583\" blockheight=\"744\" sidemargin=\"0\" blockrule=\"horz-adjustable\" layout=\"LrTb\" "
        u"topskip=\"0\" footskip=\"0\" framecolor=\"0x00000000\" framemode=\"square\" framewidth=\"0\" bgimagemode=\"fix\"";
    BuildStyle(store, console, kKindBlockStyle, WString(u"<BlockStyle stylelabel=\"bs_bdy\"") + WString(block));
    BuildStyle(store, console, kKindTextStyle, kBodyTextStyle);
    BuildStyle(store, console, kKindBlockStyle, WString(u"<BlockStyle stylelabel=\"bs_hdr\"") + WString(block));
    WString header(kBodyTextStyle);
    ReplaceFirst(header, u"ts_bdy", u"ts_hdr");
    BuildStyle(store, console, kKindTextStyle, header);
}

void WriterTest::AddTextBlock(const std::string& objid, WStringView text) {
    const WString element =
        u"<TextBlock blockstyle=\"bs_bdy\" objid=\"" + Widen(objid) + u"\" textstyle=\"ts_bdy\">";
    BuildBlock(store, console, kKindTextBlock, element);
    BuildTextBlock(store, console, element, text);
}

std::vector<uint8_t> WriterTest::LinkAndWrite(const std::string& path) {
    AssignObjectIds(store);
    LinkObjects(store, console);
    EXPECT_TRUE(WriteLrfFile(store, console, path, inputPath).ok());
    return tavorin::test::ReadFileBytes(path);
}

}  // namespace tavorin::lrf::test
