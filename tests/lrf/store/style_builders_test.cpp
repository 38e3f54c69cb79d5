// Styles, book defaults, book header settings and font registration.
#include <gtest/gtest.h>

#include <vector>

#include "lrf/store/builders.h"
#include "lrf/store_fixture.h"

namespace tavorin::lrf {
namespace {

using Bytes = std::vector<uint8_t>;

class StyleBuilders : public test::StoreTest {
protected:
    Bytes TagsOf(const Range& range) {
        return Bytes(store.tagStore.begin() + range.start, store.tagStore.begin() + range.end);
    }
};
using BuildStyleTest = StyleBuilders;
using BuildBookDefaultsTest = StyleBuilders;
using ApplyBookSettingTest = StyleBuilders;
using RegisterFontTest = StyleBuilders;

TEST_F(BuildStyleTest, EachKindUsesItsTableAndBlockStylesGetAFillColour) {
    BuildStyle(store, console, kKindTextStyle, u"<TextStyle objid=\"t\" stylelabel=\"ts_bdy\" fontsize=\"100\" align=\"center\"/>");
    BuildStyle(store, console, kKindBlockStyle, u"<BlockStyle stylelabel=\"bs_bdy\" blockwidth=\"583\"/>");
    BuildStyle(store, console, kKindBlockStyle, u"<BlockStyle stylelabel=\"bs_x\" textbgcolor=\"1\"/>");
    BuildStyle(store, console, kKindPageStyle, u"<PageStyle stylelabel=\"ps_main\" topmargin=\"10\" fontsize=\"100\"/>");

    const ObjectStore& s = store;
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

TEST_F(BuildBookDefaultsTest, EncodesTheDriverElementAndALaterOneReplacesIt) {
    BuildStyle(store, console, kKindTextStyle, u"<TextStyle fontsize=\"100\"/>");
    BuildBookDefaults(store, console, u"<SetDefault rubyalign=\"start\" rubyadjust=\"none\" rubyoverhang=\"none\" "
                      u"empdotsposition=\"before\" empdotsfontname=\"Dutch801 Rm BT Roman\" empdotscode=\"0x002e\" "
                      u"emplineposition=\"before\" emplinetype=\"solid\" setwaitprop=\"noreplay\"/>");
    Bytes expected = {0x75, 0xF5, 0x01, 0x00, 0x76, 0xF5, 0x00, 0x00, 0x77, 0xF5, 0x01, 0x00,
                      0x78, 0xF5, 0x00, 0x00, 0x00, 0x00, 0x16, 0xF5, 0x28, 0x00};
    PutUtf16(expected, u"Dutch801 Rm BT Roman");
    expected.insert(expected.end(), {0x2E, 0x00, 0x79, 0xF5, 0x01, 0x00, 0x7A, 0xF5, 0x10, 0x00, 0xDA, 0xF5, 0x02, 0x00});
    EXPECT_EQ(store.bookDefaults.start, 4u);
    EXPECT_EQ(TagsOf(store.bookDefaults), expected);
    EXPECT_EQ(store.bookDefaultsNumber, 0u);

    BuildBookDefaults(store, console, u"<SetDefault setwaitprop=\"replay\"/>");
    EXPECT_EQ(TagsOf(store.bookDefaults), (Bytes{0xDA, 0xF5, 0x01, 0x00}));
}

TEST_F(ApplyBookSettingTest, FillsTheHeaderFields) {
    ApplyBookSetting(store, console, u"<BookSetting screenwidth=\"584\" screenheight=\"754\" bindingdirection=\"Lr\" dpi=\"1600\" "
                     u"colordepth=\"24\"/>");
    const BookHeaderSettings& h = store.header;
    EXPECT_EQ(h.scrambleKey, kScrambleKey);
    EXPECT_EQ(h.bindingDirection, 1);
    EXPECT_EQ(h.dpi, 1600u);
    EXPECT_EQ(h.screenWidth, 584);
    EXPECT_EQ(h.screenHeight, 754);
    EXPECT_EQ(h.colorDepth, 24);
    EXPECT_EQ(printed.text(), "");

    ApplyBookSetting(store, console, u"<BookSetting bindingdirection=\"Rl\" dpi=\"166\" screenwidth=\"600\"/>");
    EXPECT_EQ(h.bindingDirection, 16);
    EXPECT_EQ(h.dpi, 166u);
    EXPECT_EQ(h.screenWidth, 600);
    EXPECT_EQ(h.screenHeight, 754);  // the failing number and those after it stay
    EXPECT_EQ(printed.text(), "\nError: incorrect Book Header reading\n");

    ApplyBookSetting(store, console, u"<BookSetting bindingdirection=\"rl\" dpi=\"x\" screenwidth=\"1\"/>");
    EXPECT_EQ(h.bindingDirection, 16);  // the word is case-sensitive
    EXPECT_EQ(h.screenWidth, 600);
}

TEST_F(RegisterFontTest, RegistersEachFontNameOnce) {
    RegisterFont(store, u" fontname=\"Face A\" file=\"a.ttf\" encoding=\"TTF\" fontfilename=\"Face A\"/>");
    RegisterFont(store, u" fontname=\"Face A\" file=\"other.ttf\" encoding=\"TTF\" fontfilename=\"Face A\"/>");
    RegisterFont(store, u" fontname=\"Face B\" file=\"b.ttf\" encoding=\"TTF\" fontfilename=\"Face B\"/>");
    ASSERT_EQ(store.fonts.size(), 2u);
    EXPECT_EQ(store.fonts[0].file, "a.ttf");
    EXPECT_EQ(store.fonts[0].fontFileName, "Face A");
    EXPECT_EQ(store.fonts[1].fontName, "Face B");
    EXPECT_EQ(store.fonts[1].id, 1u);
    store = ObjectStore{};  // a new conversion registers the font again
    RegisterFont(store, u" fontname=\"Face A\" file=\"a.ttf\"/>");
    EXPECT_EQ(store.fonts.size(), 1u);
}

}  // namespace
}  // namespace tavorin::lrf
