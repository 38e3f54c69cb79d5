// The tag table: every tag's markup attribute name, LRF code and value width
// (-1 for codes with an encoding of their own, see tag_values.cpp), one row
// per Tag in its order; and the three attribute lists that markup names are
// looked up in, by selector.
#include <array>
#include <span>

#include "lrf/tags/tag_table.h"

namespace tavorin::lrf {

namespace {

struct TagRow {
    Tag tag;
    WStringView name;
    uint16_t code;
    int16_t size;
};

constexpr std::array<TagRow, static_cast<size_t>(Tag::kCount)> kTagTable{{
    {Tag::kEvenSideMargin, u"evensidemargin", 0xF52C, 2},
    {Tag::kFootHeight, u"footheight", 0xF528, 2},
    {Tag::kFootSpace, u"footspace", 0xF527, 2},
    {Tag::kHeadHeight, u"headheight", 0xF522, 2},
    {Tag::kHeadSep, u"headsep", 0xF523, 2},
    {Tag::kOddSideMargin, u"oddsidemargin", 0xF524, 2},
    {Tag::kPagePosition, u"pageposition", 0xF52B, 2},
    {Tag::kTextHeight, u"textheight", 0xF525, 2},
    {Tag::kTextWidth, u"textwidth", 0xF526, 2},
    {Tag::kTopMargin, u"topmargin", 0xF521, 2},
    {Tag::kSetEmptyView, u"setemptyview", 0xF52A, 2},
    {Tag::kBgImageMode, u"bgimagemode", kBgImageModeCode, -1},
    {Tag::kLayout, u"layout", 0xF535, 2},
    {Tag::kSetWaitProp, u"setwaitprop", 0xF5DA, 2},
    {Tag::kBlockHeight, u"blockheight", 0xF532, 2},
    {Tag::kBlockWidth, u"blockwidth", 0xF531, 2},
    {Tag::kBlockRule, u"blockrule", 0xF533, 2},
    {Tag::kFrameWidth, u"framewidth", 0xF536, 2},
    {Tag::kFrameColor, u"framecolor", 0xF537, -1},
    {Tag::kFrameMode, u"framemode", 0xF52E, 2},
    {Tag::kTopSkip, u"topskip", 0xF538, 2},
    {Tag::kSideMargin, u"sidemargin", 0xF539, 2},
    {Tag::kFootSkip, u"footskip", 0xF53A, 2},
    {Tag::kBgColor, u"bgcolor", 0xF534, -1},
    {Tag::kFontSize, u"fontsize", 0xF511, 2},
    {Tag::kFontWidth, u"fontwidth", 0xF512, 2},
    {Tag::kFontEscapement, u"fontescapement", 0xF513, 2},
    {Tag::kFontOrientation, u"fontorientation", 0xF514, 2},
    {Tag::kFontWeight, u"fontweight", 0xF515, 2},
    {Tag::kFontFaceName, u"fontfacename", kFontFaceNameCode, -1},
    {Tag::kTextColor, u"textcolor", 0xF517, -1},
    {Tag::kTextBgColor, u"textbgcolor", 0xF518, -1},
    {Tag::kWordSpace, u"wordspace", 0xF519, 2},
    {Tag::kLetterSpace, u"letterspace", 0xF51A, 2},
    {Tag::kBaselineSkip, u"baselineskip", 0xF51B, 2},
    {Tag::kLineSpace, u"linespace", 0xF51C, 2},
    {Tag::kParIndent, u"parindent", 0xF51D, 2},
    {Tag::kParSkip, u"parskip", 0xF51E, 2},
    {Tag::kAlign, u"align", 0xF53C, 2},
    {Tag::kColumn, u"column", 0xF53D, 2},
    {Tag::kColumnSep, u"columnsep", 0xF53E, 2},
    {Tag::kCharSpace, u"charspace", 0xF5DD, 2},
    {Tag::kTextLineWidth, u"textlinewidth", 0xF5F1, -1},
    {Tag::kLineColor, u"linecolor", 0xF5F2, -1},
    {Tag::kRubyAlignAndAdjust, u"rubyalignandadjust", 0xF575, 2},
    {Tag::kRubyOverhang, u"rubyoverhang", 0xF576, 2},
    {Tag::kEmpDotsPosition, u"empdotsposition", 0xF577, 2},
    {Tag::kEmpDotsCode, u"empdotscode", 0xF578, -1},
    {Tag::kEmpLinePosition, u"emplineposition", 0xF579, 2},
    {Tag::kEmpLineType, u"emplinetype", 0xF57A, 2},
    {Tag::kEmpDotsFontName, u"empdotsfontname", kEmphasisDotsFontCode, -1},
    {Tag::kXSize, u"xsize", 0xF5CA, 2},
}};

constexpr bool RowsInTagOrder() {
    for (size_t i = 0; i < kTagTable.size(); ++i) {
        if (static_cast<size_t>(kTagTable[i].tag) != i) return false;
    }
    return true;
}
static_assert(RowsInTagOrder(), "one row per tag, in the order of the enum");

// The attributes each kind of markup element may carry.
constexpr Tag kPageTags[] = {
    Tag::kBgImageMode, Tag::kEvenSideMargin, Tag::kFootHeight, Tag::kFootSpace,  Tag::kHeadHeight,
    Tag::kHeadSep,     Tag::kLayout,         Tag::kOddSideMargin, Tag::kPagePosition, Tag::kTextHeight,
    Tag::kTextWidth,   Tag::kTopMargin,      Tag::kSetEmptyView, Tag::kSetWaitProp,
};

constexpr Tag kBlockTags[] = {
    Tag::kBgImageMode, Tag::kBlockHeight, Tag::kBlockWidth, Tag::kBlockRule, Tag::kLayout,   Tag::kFrameWidth,
    Tag::kFrameColor,  Tag::kFrameMode,   Tag::kTopSkip,    Tag::kSideMargin, Tag::kFootSkip, Tag::kBgColor,
};

constexpr Tag kTextTags[] = {
    Tag::kFontSize,        Tag::kFontWidth,      Tag::kFontEscapement,  Tag::kFontOrientation, Tag::kFontWeight,
    Tag::kFontFaceName,    Tag::kTextColor,      Tag::kTextBgColor,     Tag::kWordSpace,       Tag::kLetterSpace,
    Tag::kBaselineSkip,    Tag::kLineSpace,      Tag::kParIndent,       Tag::kParSkip,         Tag::kAlign,
    Tag::kColumn,          Tag::kColumnSep,      Tag::kCharSpace,       Tag::kTextLineWidth,   Tag::kLineColor,
    Tag::kRubyAlignAndAdjust, Tag::kRubyOverhang, Tag::kEmpDotsPosition, Tag::kEmpDotsCode,    Tag::kEmpLinePosition,
    Tag::kEmpLineType,     Tag::kEmpDotsFontName, Tag::kSetWaitProp,    Tag::kXSize,
};

std::span<const Tag> SelectTags(int selector) {
    switch (selector) {
        case kPageAttributes: return kPageTags;
        case kBlockAttributes: return kBlockTags;
        case kTextAttributes: return kTextTags;
        default: return {};
    }
}

}  // namespace

TTag LookupTag(int selector, WStringView name) {
    for (const Tag tag : SelectTags(selector)) {
        const TagRow& row = kTagTable[static_cast<size_t>(tag)];
        if (row.name == name) return TTag{{}, row.code, row.size};
    }
    return TTag{};
}

TTag TagOf(Tag tag) {
    const TagRow& row = kTagTable[static_cast<size_t>(tag)];
    return TTag{{}, row.code, row.size};
}

WStringView TagName(Tag tag) { return kTagTable[static_cast<size_t>(tag)].name; }

}  // namespace tavorin::lrf
