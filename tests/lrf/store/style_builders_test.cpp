// Styles, book defaults, book header settings and font registration.
#include <gtest/gtest.h>

#include <vector>

#include "lrf/store/builders.h"
#include "lrf/tags/console_capture.h"

namespace tavorin::lrf {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes TagsOf(const Range& range) {
    return Bytes(g_store.tagStore.begin() + range.start, g_store.tagStore.begin() + range.end);
}

TEST(BuildStyle, EachKindUsesItsTableAndBlockStylesGetAFillColour) {
    ResetStore();
    BuildStyle(kKindTextStyle, u"<TextStyle objid=\"t\" stylelabel=\"ts_bdy\" fontsize=\"100\" align=\"center\"/>");
    BuildStyle(kKindBlockStyle, u"<BlockStyle stylelabel=\"bs_bdy\" blockwidth=\"583\"/>");
    BuildStyle(kKindBlockStyle, u"<BlockStyle stylelabel=\"bs_x\" textbgcolor=\"1\"/>");
    BuildStyle(kKindPageStyle, u"<PageStyle stylelabel=\"ps_main\" topmargin=\"10\" fontsize=\"100\"/>");

    const ObjectStore& s = g_store;
    ASSERT_EQ(s.textStyles.size(), 1u);
    EXPECT_EQ(s.textStyles[0].styleLabel, "ts_bdy");
    EXPECT_EQ(s.textStyles[0].objid, "t");
    EXPECT_EQ(TagsOf(s.textStyles[0].tags), (Bytes{0x11, 0xF5, 0x64, 0x00, 0x3C, 0xF5, 0x04, 0x00}));
    ASSERT_EQ(s.blockStyles.size(), 2u);
    EXPECT_EQ(s.blockStyles[1].id, 1u);
    EXPECT_EQ(TagsOf(s.blockStyles[0].tags), (Bytes{0x31, 0xF5, 0x47, 0x02, 0x34, 0xF5, 0xFF, 0x00, 0x00, 0x00}));
    EXPECT_TRUE(TagsOf(s.blockStyles[1].tags).empty());  // "bgcolor" inside another name counts
    ASSERT_EQ(s.pageStyles.size(), 1u);
    EXPECT_EQ(TagsOf(s.pageStyles[0].tags), (Bytes{0x21, 0xF5, 0x0A, 0x00}));
}

TEST(BuildBookDefaults, EncodesTheDriverElementAndALaterOneReplacesIt) {
    ResetStore();
    BuildStyle(kKindTextStyle, u"<TextStyle fontsize=\"100\"/>");
    BuildBookDefaults(u"<SetDefault rubyalign=\"start\" rubyadjust=\"none\" rubyoverhang=\"none\" "
                      u"empdotsposition=\"before\" empdotsfontname=\"Dutch801 Rm BT Roman\" empdotscode=\"0x002e\" "
                      u"emplineposition=\"before\" emplinetype=\"solid\" setwaitprop=\"noreplay\"/>");
    Bytes expected = {0x75, 0xF5, 0x01, 0x00, 0x76, 0xF5, 0x00, 0x00, 0x77, 0xF5, 0x01, 0x00,
                      0x78, 0xF5, 0x00, 0x00, 0x00, 0x00, 0x16, 0xF5, 0x28, 0x00};
    PutUtf16(expected, u"Dutch801 Rm BT Roman");
    expected.insert(expected.end(), {0x2E, 0x00, 0x79, 0xF5, 0x01, 0x00, 0x7A, 0xF5, 0x10, 0x00, 0xDA, 0xF5, 0x02, 0x00});
    EXPECT_EQ(g_store.bookDefaults.start, 4u);
    EXPECT_EQ(TagsOf(g_store.bookDefaults), expected);
    EXPECT_EQ(g_store.bookDefaultsNumber, 0u);

    BuildBookDefaults(u"<SetDefault setwaitprop=\"replay\"/>");
    EXPECT_EQ(TagsOf(g_store.bookDefaults), (Bytes{0xDA, 0xF5, 0x01, 0x00}));
}

TEST(ApplyBookSetting, FillsTheHeaderFields) {
    ResetStore();
    test::ConsoleCapture console;
    ApplyBookSetting(u"<BookSetting screenwidth=\"584\" screenheight=\"754\" bindingdirection=\"Lr\" dpi=\"1600\" "
                     u"colordepth=\"24\"/>");
    const BookHeaderSettings& h = g_store.header;
    EXPECT_EQ(h.scrambleKey, kScrambleKey);
    EXPECT_EQ(h.bindingDirection, 1);
    EXPECT_EQ(h.dpi, 1600u);
    EXPECT_EQ(h.screenWidth, 584);
    EXPECT_EQ(h.screenHeight, 754);
    EXPECT_EQ(h.colorDepth, 24);
    EXPECT_EQ(console.text(), "");

    ApplyBookSetting(u"<BookSetting bindingdirection=\"Rl\" dpi=\"166\" screenwidth=\"600\"/>");
    EXPECT_EQ(h.bindingDirection, 16);
    EXPECT_EQ(h.dpi, 166u);
    EXPECT_EQ(h.screenWidth, 600);
    EXPECT_EQ(h.screenHeight, 754);  // the failing number and those after it stay
    EXPECT_EQ(console.text(), "\nError: incorrect Book Header reading\n");

    ApplyBookSetting(u"<BookSetting bindingdirection=\"rl\" dpi=\"x\" screenwidth=\"1\"/>");
    EXPECT_EQ(h.bindingDirection, 16);  // the word is case-sensitive
    EXPECT_EQ(h.screenWidth, 600);
}

TEST(RegisterFont, RegistersEachFontNameOnce) {
    ResetStore();
    RegisterFont(u" fontname=\"Face A\" file=\"a.ttf\" encoding=\"TTF\" fontfilename=\"Face A\"/>");
    RegisterFont(u" fontname=\"Face A\" file=\"other.ttf\" encoding=\"TTF\" fontfilename=\"Face A\"/>");
    RegisterFont(u" fontname=\"Face B\" file=\"b.ttf\" encoding=\"TTF\" fontfilename=\"Face B\"/>");
    ASSERT_EQ(g_store.fonts.size(), 2u);
    EXPECT_EQ(g_store.fonts[0].file, "a.ttf");
    EXPECT_EQ(g_store.fonts[0].fontFileName, "Face A");
    EXPECT_EQ(g_store.fonts[1].fontName, "Face B");
    EXPECT_EQ(g_store.fonts[1].id, 1u);

    ResetStore();  // a new run registers the font again
    RegisterFont(u" fontname=\"Face A\" file=\"a.ttf\"/>");
    EXPECT_EQ(g_store.fonts.size(), 1u);
}

}  // namespace
}  // namespace tavorin::lrf
