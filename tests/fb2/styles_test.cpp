// Tests of the style definitions: the style strings of the built-in settings,
// the copies and mirrored alignments, the registration order, page styles,
// rule lines and external fonts.
#include <gtest/gtest.h>

#include "body_fixture.h"
#include "fb2/styles.h"
#include "lrf/store/object_store.h"
#include "settings/conversion_settings.h"

namespace tavorin::fb2 {
namespace {

// Value of the attribute `name` (preceded by a blank) in a style string.
std::string Attr(const WString& text, const std::string& name) {
    const WString key = u" " + Widen(name) + u"=\"";
    const size_t start = text.find(key);
    if (start == WString::npos) return "<absent>";
    const size_t value = start + key.size();
    return Narrow(WStringView(text).substr(value, text.find(u'"', value) - value));
}

class StylesTest : public test::ConversionTest {
protected:
};

struct StyleRow {
    int kind;
    const char* label;
    const char* align;
    const char* fontsize;
    const char* weight;
    const char* wordspace;
    const char* parindent;
    const char* baselineskip;
    const char* parskip;
    const char* blockwidth;
    const char* sidemargin;
    const char* topskip;
    const char* footskip;
    const char* blockrule;
    int sideMarginField;  // SideMargin of the entry after the definitions
};

TEST_F(StylesTest, BuiltInSettingsGiveTheArithmeticOfEveryStyle) {
    const StyleRow rows[] = {
        {0, "bdy", "head", "100", "400", "20", "80", "100", "0", "583", "0", "0", "0", "horz-fixed", -1},
        {1, "tit0", "center", "120", "600", "24", "0", "120", "0", "583", "0", "10", "10", "horz-adjustable", -1},
        {2, "epig", "head", "90", "400", "18", "81", "90", "0", "483", "0", "0", "10", "horz-adjustable", 100},
        {3, "poem", "head", "90", "400", "18", "0", "90", "0", "483", "0", "0", "10", "horz-adjustable", 100},
        {4, "image", "head", "100", "400", "20", "0", "0", "0", "583", "0", "0", "0", "block-adjustable", -1},
        {5, "subtit0", "center", "110", "600", "22", "0", "110", "0", "583", "0", "10", "10", "horz-adjustable", -1},
        {6, "tit0", "center", "120", "600", "24", "0", "120", "0", "583", "0", "10", "10", "horz-adjustable", -1},
        {7, "subtit0", "center", "110", "600", "22", "0", "110", "0", "583", "0", "10", "10", "horz-adjustable", -1},
        {8, "bdtit", "center", "160", "400", "32", "0", "160", "0", "583", "0", "50", "50", "horz-adjustable", -1},
        {9, "note", "head", "90", "400", "18", "0", "90", "0", "583", "10", "5", "5", "horz-adjustable", -1},
        {10, "hdro", "foot", "70", "400", "14", "0", "0", "0", "583", "0", "0", "0", "horz-fixed", -1},
        {11, "ftro", "head", "70", "400", "14", "0", "0", "0", "583", "0", "0", "0", "horz-fixed", -1},
        {12, "hdro", "head", "70", "400", "14", "0", "0", "0", "583", "0", "0", "0", "horz-fixed", -1},
        {13, "ftro", "foot", "70", "400", "14", "0", "0", "0", "583", "0", "0", "0", "horz-fixed", -1},
        {14, "annot", "head", "90", "400", "18", "32", "90", "0", "583", "0", "0", "0", "horz-adjustable", -1},
        {15, "cite", "head", "90", "400", "18", "32", "90", "0", "583", "20", "0", "0", "horz-adjustable", -1},
        {16, "refer", "center", "80", "400", "16", "0", "80", "0", "583", "0", "0", "0", "horz-adjustable", -1},
    };
    DefineBookStyles();
    for (const StyleRow& row : rows) {
        SCOPED_TRACE(row.kind);
        TStyleSettings& style = Style(settings, static_cast<StyleKind>(row.kind));
        EXPECT_EQ(style.Label, row.label);
        EXPECT_EQ(cv.styles.SideMargin[static_cast<size_t>(row.kind)], row.sideMarginField);
        WString text, block;
        StyleAttributes(settings.PageLayout, style, text, block);
        EXPECT_TRUE(StartsWith(text, u"  stylelabel=\"ts_" + Widen(row.label) + u"\""));
        EXPECT_EQ(Attr(text, "align"), row.align);
        EXPECT_EQ(Attr(text, "fontsize"), row.fontsize);
        EXPECT_EQ(Attr(text, "fontweight"), row.weight);
        EXPECT_EQ(Attr(text, "wordspace"), row.wordspace);
        EXPECT_EQ(Attr(text, "parindent"), row.parindent);
        EXPECT_EQ(Attr(text, "baselineskip"), row.baselineskip);
        EXPECT_EQ(Attr(text, "parskip"), row.parskip);
        EXPECT_EQ(Attr(text, "empdotscode"), "46");
        EXPECT_EQ(Attr(block, "stylelabel"), std::string("bs_") + row.label);
        EXPECT_EQ(Attr(block, "blockwidth"), row.blockwidth);
        EXPECT_EQ(Attr(block, "blockheight"), "744");
        EXPECT_EQ(Attr(block, "sidemargin"), row.sidemargin);
        EXPECT_EQ(Attr(block, "topskip"), row.topskip);
        EXPECT_EQ(Attr(block, "footskip"), row.footskip);
        EXPECT_EQ(Attr(block, "blockrule"), row.blockrule);
    }
    WString text, block;
    StyleAttributes(settings.PageLayout, Style(settings, StyleKind::kBody), text, block);
    EXPECT_EQ(Attr(text, "fontfacename"), "Dutch801 Rm BT Roman");
}

TEST_F(StylesTest, WordSpaceFollowsTheBodyAndZeroFallsBackToTheFontSize) {
    Style(settings, StyleKind::kBody).WordSpace = 0;
    Style(settings, StyleKind::kAnnotation).WordSpace = 10;  // annotation, cite and refer keep their own
    Style(settings, StyleKind::kAnnotation).FontSize = 125;
    Style(settings, StyleKind::kTitle).FontSize = 125;
    DefineBookStyles();
    EXPECT_EQ(Style(settings, StyleKind::kHeaderOdd).WordSpace, 0);
    EXPECT_EQ(Style(settings, StyleKind::kAnnotation).WordSpace, 10);

    WString text, block;
    StyleAttributes(settings.PageLayout, Style(settings, StyleKind::kTitle), text, block);
    EXPECT_EQ(Attr(text, "wordspace"), "25");  // round(125 / 10 * 2)
    StyleAttributes(settings.PageLayout, Style(settings, StyleKind::kAnnotation), text, block);
    EXPECT_EQ(Attr(text, "wordspace"), "12");  // 12.5 rounds to even
    EXPECT_EQ(Attr(text, "parindent"), "30");  // 12 * 2 * 125 / 100
}

TEST_F(StylesTest, PageMarginsAndUnequalBlockMarginsNarrowTheBlock) {
    settings.PageLayout.Left = 10;
    settings.PageLayout.Right = 20;
    const struct {
        int left, right;
        const char* width;
        int sideMarginField;
    } cases[] = {{-1, 25, "528", -1}, {40, 30, "483", 40}, {15, 15, "553", -1}};
    for (const auto& c : cases) {
        TStyleSettings style = Style(settings, StyleKind::kBody);
        style.MarginLeft = c.left;
        style.MarginRight = c.right;
        WString text, block;
        StyleAttributes(settings.PageLayout, style, text, block);
        EXPECT_EQ(Attr(block, "blockwidth"), c.width) << c.left << " " << c.right;
        EXPECT_EQ(BlockSpaceMargin(style), c.sideMarginField) << c.left << " " << c.right;
    }
}

TEST_F(StylesTest, RegistersBlockStyleBeforeTextStyleInTheFixedOrder) {
    DefineBookStyles();
    const lrf::ObjectStore& store = cv.store;
    ASSERT_EQ(store.pageStyles.size(), 2u);
    EXPECT_EQ(store.pageStyles[0].styleLabel, "ps_front");
    EXPECT_EQ(store.pageStyles[1].styleLabel, "ps_gen");

    const char* labels[] = {"bdy",  "tit0", "epig", "poem", "image", "subtit0", "tit0",  "subtit0", "bdtit",
                            "note", "hdro", "ftro", "hdro", "ftro",  "cite",    "annot", "refer"};
    ASSERT_EQ(store.blockStyles.size(), std::size(labels));
    ASSERT_EQ(store.textStyles.size(), std::size(labels));
    size_t previousEnd = store.pageStyles[1].tags.end;
    for (size_t i = 0; i < std::size(labels); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(store.blockStyles[i].styleLabel, std::string("bs_") + labels[i]);
        EXPECT_EQ(store.textStyles[i].styleLabel, std::string("ts_") + labels[i]);
        // Tags are appended in registration order: block style, then text style.
        EXPECT_EQ(store.blockStyles[i].tags.start, previousEnd);
        EXPECT_EQ(store.textStyles[i].tags.start, store.blockStyles[i].tags.end);
        previousEnd = store.textStyles[i].tags.end;
    }
}

TEST_F(StylesTest, HiddenHeaderGivesItsHeightToTheTextAndRuleLinesAreStored) {
    EXPECT_EQ(Attr(PageStyleAttributes(settings.HeaderFooter, settings.PageLayout), "textheight"), "684");
    settings.HeaderFooter.HeaderShow = 0;
    const WString page = PageStyleAttributes(settings.HeaderFooter, settings.PageLayout);
    EXPECT_EQ(Attr(page, "headheight"), "0");
    EXPECT_EQ(Attr(page, "headsep"), "0");
    EXPECT_EQ(Attr(page, "textheight"), "719");

    BuildHeaderFooterSources(cv.running, cv.description, settings);
    EXPECT_EQ(cv.running.HeaderRuleLine, u" xl0=\"5\" yl0=\"28\" xl1=\"579\" yl1=\"28\" lw=\"1\" lc=\"127\" lt=\"3\"");
    EXPECT_EQ(cv.running.FooterRuleLine, u" xl0=\"5\" yl0=\"1\" xl1=\"579\" yl1=\"1\" lw=\"1\" lc=\"127\" lt=\"3\"");
}

TEST_F(StylesTest, ExternalFontNamesTheFaceAndIsRegisteredOnce) {
    Style(settings, StyleKind::kBody).ExternalFontFile = "/fonts/a.ttf|My Font|";
    Style(settings, StyleKind::kCite).ExternalFontFile = "/fonts/b.ttf|My Font|";
    Style(settings, StyleKind::kNote).ExternalFontFile = "/fonts/c.ttf";  // no face: not a font
    DefineBookStyles();
    EXPECT_EQ(StyleFace(Style(settings, StyleKind::kBody)), u"My Font");
    EXPECT_EQ(StyleFace(Style(settings, StyleKind::kNote)), u"Courier 10 Pitch Win95BT");
    ASSERT_EQ(cv.store.fonts.size(), 1u);
    EXPECT_EQ(cv.store.fonts[0].fontName, "My Font");
    EXPECT_EQ(cv.store.fonts[0].file, "/fonts/a.ttf");
    EXPECT_EQ(cv.store.fonts[0].fontFileName, "My Font");
}

}  // namespace
}  // namespace tavorin::fb2
