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

TEST_F(StyleBuilders, EachKindHasItsListAndBlockStylesGetAFillColour) {
    const TagValue text[] = {{Tag::kFontSize, 100}, {Tag::kAlign, kAlignCenter}};
    BuildStyle(store, console, kKindTextStyle, "ts_bdy", text);
    const TagValue block[] = {{Tag::kBlockWidth, 583}};
    BuildStyle(store, console, kKindBlockStyle, "bs_bdy", block);
    const TagValue page[] = {{Tag::kTopMargin, 10}};
    BuildStyle(store, console, kKindPageStyle, "ps_main", page);

    const ObjectStore& s = store;
    ASSERT_EQ(s.textStyles.size(), 1u);
    EXPECT_EQ(s.textStyles[0].styleLabel, "ts_bdy");
    EXPECT_EQ(TagsOf(s.textStyles[0].tags), (Bytes{0x11, 0xF5, 0x64, 0x00, 0x3C, 0xF5, 0x04, 0x00}));
    ASSERT_EQ(s.blockStyles.size(), 1u);
    EXPECT_EQ(TagsOf(s.blockStyles[0].tags), (Bytes{0x31, 0xF5, 0x47, 0x02, 0x34, 0xF5, 0xFF, 0x00, 0x00, 0x00}));
    EXPECT_EQ(TagsOf(s.pageStyles[0].tags), (Bytes{0x21, 0xF5, 0x0A, 0x00}));
}

TEST_F(StyleBuilders, ANumberNoWordStandsForIsReportedAndLeftOut) {
    const TagValue block[] = {{Tag::kBlockRule, -1}, {Tag::kBlockRule, kBlockRules[1]}};
    BuildStyle(store, console, kKindBlockStyle, "bs_x", block);
    EXPECT_EQ(TagsOf(store.blockStyles[0].tags), (Bytes{0x33, 0xF5, 0x12, 0x00, 0x34, 0xF5, 0xFF, 0, 0, 0}));
    EXPECT_EQ(printed.text(), "\nError: Incorrect value = in Tag 0xF533\n\nError: Incorrect value = in blockrule\n");
}

TEST_F(StyleBuilders, ADotsFontCarriesTheDotsAndLeavesTheDotsCodeOut) {
    const TagValue defaults[] = {{Tag::kEmpDotsCode, 0x2e}, {Tag::kEmpDotsFontName, 0, u"F"}, {Tag::kLineColor, 0x112233}};
    BuildBookDefaults(store, console, defaults);
    EXPECT_EQ(TagsOf(store.bookDefaults),
              (Bytes{0x78, 0xF5, 0, 0, 0, 0, 0x16, 0xF5, 2, 0, 'F', 0, 0x2E, 0, 0xF2, 0xF5, 0, 0x11, 0x22, 0x33}));
    const TagValue code[] = {{Tag::kEmpDotsCode, 0x2a}};
    BuildBookDefaults(store, console, code);  // a later call replaces them
    EXPECT_EQ(TagsOf(store.bookDefaults), (Bytes{0x78, 0xF5, 0, 0, 0, 0, 0x16, 0xF5, 0, 0, 0x2A, 0}));
}

TEST_F(StyleBuilders, RegistersEachFontNameOnce) {
    RegisterFont(store, {0, "Face A", "a.ttf", "Face A"});
    RegisterFont(store, {0, "Face A", "other.ttf", "Face A"});
    RegisterFont(store, {0, "Face B", "b.ttf", "Face B"});
    ASSERT_EQ(store.fonts.size(), 2u);
    EXPECT_EQ(store.fonts[0].file, "a.ttf");
    EXPECT_EQ(store.fonts[1].id, 1u);
}

}  // namespace
}  // namespace tavorin::lrf
