// Tests of the style definitions: the style tags of the built-in settings,
// the copies and mirrored alignments, the registration order, page styles,
// rule lines and external fonts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "body_fixture.h"
#include "fb2/styles.h"
#include "lrf/store/object_store.h"
#include "lrf/tags/tag_table.h"
#include "settings/conversion_settings.h"

namespace tavorin::fb2 {
namespace {

using lrf::Tag;
using Tags = std::vector<lrf::TagValue>;

// Value of a tag in a list: its number, or its text for a font name.
std::string Attr(const Tags& tags, Tag tag) {
    for (const lrf::TagValue& t : tags) {
        if (t.tag == tag) return tag == Tag::kFontFaceName ? Narrow(t.text) : std::to_string(t.number);
    }
    return "<absent>";
}

const std::string kHead = std::to_string(lrf::kAlignHead), kCenter = std::to_string(lrf::kAlignCenter),
                  kFoot = std::to_string(lrf::kAlignFoot);
const std::string kHorzFixed = std::to_string(lrf::kBlockRules[0]), kHorzAdj = std::to_string(lrf::kBlockRules[1]),
                  kBlockAdj = std::to_string(lrf::kBlockRules[5]);

class StylesTest : public test::ConversionTest {
protected:
};

struct StyleRow {
    int kind;
    const char* label;
    std::string align;
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
    std::string blockrule;
    int sideMarginField;  // SideMargin of the entry after the definitions
};

TEST_F(StylesTest, BuiltInSettingsGiveTheArithmeticOfEveryStyle) {
    const StyleRow rows[] = {
        {0, "bdy", kHead, "100", "400", "20", "80", "100", "0", "583", "0", "0", "0", kHorzFixed, -1},
        {1, "tit0", kCenter, "120", "600", "24", "0", "120", "0", "583", "0", "10", "10", kHorzAdj, -1},
        {2, "epig", kHead, "90", "400", "18", "81", "90", "0", "483", "0", "0", "10", kHorzAdj, 100},
        {3, "poem", kHead, "90", "400", "18", "0", "90", "0", "483", "0", "0", "10", kHorzAdj, 100},
        {4, "image", kHead, "100", "400", "20", "0", "0", "0", "583", "0", "0", "0", kBlockAdj, -1},
        {5, "subtit0", kCenter, "110", "600", "22", "0", "110", "0", "583", "0", "10", "10", kHorzAdj, -1},
        {6, "tit0", kCenter, "120", "600", "24", "0", "120", "0", "583", "0", "10", "10", kHorzAdj, -1},
        {7, "subtit0", kCenter, "110", "600", "22", "0", "110", "0", "583", "0", "10", "10", kHorzAdj, -1},
        {8, "bdtit", kCenter, "160", "400", "32", "0", "160", "0", "583", "0", "50", "50", kHorzAdj, -1},
        {9, "note", kHead, "90", "400", "18", "0", "90", "0", "583", "10", "5", "5", kHorzAdj, -1},
        {10, "hdro", kFoot, "70", "400", "14", "0", "0", "0", "583", "0", "0", "0", kHorzFixed, -1},
        {11, "ftro", kHead, "70", "400", "14", "0", "0", "0", "583", "0", "0", "0", kHorzFixed, -1},
        {12, "hdro", kHead, "70", "400", "14", "0", "0", "0", "583", "0", "0", "0", kHorzFixed, -1},
        {13, "ftro", kFoot, "70", "400", "14", "0", "0", "0", "583", "0", "0", "0", kHorzFixed, -1},
        {14, "annot", kHead, "90", "400", "18", "32", "90", "0", "583", "0", "0", "0", kHorzAdj, -1},
        {15, "cite", kHead, "90", "400", "18", "32", "90", "0", "583", "20", "0", "0", kHorzAdj, -1},
        {16, "refer", kCenter, "80", "400", "16", "0", "80", "0", "583", "0", "0", "0", kHorzAdj, -1},
    };
    DefineBookStyles();
    for (const StyleRow& row : rows) {
        SCOPED_TRACE(row.kind);
        TStyleSettings& style = Style(settings, static_cast<StyleKind>(row.kind));
        EXPECT_EQ(style.Label, row.label);
        EXPECT_EQ(cv.styles.SideMargin[static_cast<size_t>(row.kind)], row.sideMarginField);
        Tags text, block;
        StyleTags(settings.PageLayout, style, text, block);
        EXPECT_EQ(Attr(text, Tag::kAlign), row.align);
        EXPECT_EQ(Attr(text, Tag::kFontSize), row.fontsize);
        EXPECT_EQ(Attr(text, Tag::kFontWeight), row.weight);
        EXPECT_EQ(Attr(text, Tag::kWordSpace), row.wordspace);
        EXPECT_EQ(Attr(text, Tag::kParIndent), row.parindent);
        EXPECT_EQ(Attr(text, Tag::kBaselineSkip), row.baselineskip);
        EXPECT_EQ(Attr(text, Tag::kParSkip), row.parskip);
        EXPECT_EQ(Attr(text, Tag::kEmpDotsCode), "46");
        EXPECT_EQ(Attr(block, Tag::kBlockWidth), row.blockwidth);
        EXPECT_EQ(Attr(block, Tag::kBlockHeight), "744");
        EXPECT_EQ(Attr(block, Tag::kSideMargin), row.sidemargin);
        EXPECT_EQ(Attr(block, Tag::kTopSkip), row.topskip);
        EXPECT_EQ(Attr(block, Tag::kFootSkip), row.footskip);
        EXPECT_EQ(Attr(block, Tag::kBlockRule), row.blockrule);
    }
    Tags text, block;
    StyleTags(settings.PageLayout, Style(settings, StyleKind::kBody), text, block);
    EXPECT_EQ(Attr(text, Tag::kFontFaceName), "Dutch801 Rm BT Roman");
}

TEST_F(StylesTest, WordSpaceFollowsTheBodyAndZeroFallsBackToTheFontSize) {
    Style(settings, StyleKind::kBody).WordSpace = 0;
    Style(settings, StyleKind::kAnnotation).WordSpace = 10;  // annotation, cite and refer keep their own
    Style(settings, StyleKind::kAnnotation).FontSize = 125;
    Style(settings, StyleKind::kTitle).FontSize = 125;
    DefineBookStyles();
    EXPECT_EQ(Style(settings, StyleKind::kHeaderOdd).WordSpace, 0);
    EXPECT_EQ(Style(settings, StyleKind::kAnnotation).WordSpace, 10);

    Tags text, block;
    StyleTags(settings.PageLayout, Style(settings, StyleKind::kTitle), text, block);
    EXPECT_EQ(Attr(text, Tag::kWordSpace), "25");  // round(125 / 10 * 2)
    StyleTags(settings.PageLayout, Style(settings, StyleKind::kAnnotation), text, block);
    EXPECT_EQ(Attr(text, Tag::kWordSpace), "12");  // 12.5 rounds to even
    EXPECT_EQ(Attr(text, Tag::kParIndent), "30");  // 12 * 2 * 125 / 100
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
        Tags text, block;
        StyleTags(settings.PageLayout, style, text, block);
        EXPECT_EQ(Attr(block, Tag::kBlockWidth), c.width) << c.left << " " << c.right;
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
    EXPECT_EQ(Attr(PageStyleTags(settings.HeaderFooter, settings.PageLayout), Tag::kTextHeight), "684");
    settings.HeaderFooter.HeaderShow = 0;
    const Tags page = PageStyleTags(settings.HeaderFooter, settings.PageLayout);
    EXPECT_EQ(Attr(page, Tag::kHeadHeight), "0");
    EXPECT_EQ(Attr(page, Tag::kHeadSep), "0");
    EXPECT_EQ(Attr(page, Tag::kTextHeight), "719");

    BuildHeaderFooterSources(cv.running, cv.description, settings);
    const auto fields = [](const lrf::RuleLine& l) {
        return std::vector<int>{l.startX, l.y, l.endX, l.width, l.color, l.type};
    };
    EXPECT_EQ(fields(cv.running.HeaderRuleLine), (std::vector<int>{5, 28, 579, 1, 127, 3}));
    EXPECT_EQ(fields(cv.running.FooterRuleLine), (std::vector<int>{5, 1, 579, 1, 127, 3}));
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
