// Style definitions: turns the conversion settings into the page, block and
// text style elements of the book, the rule lines of running headers and
// footers, and the registrations of external fonts.
#include "fb2/styles.h"

#include <string>
#include <unordered_map>

#include <array>
#include <string_view>

#include "text/rounding.h"
#include "fb2/markup_attributes.h"
#include "lrf/store/builders.h"
#include "lrf/store/object_store.h"
#include "text/wide.h"

namespace tavorin::fb2 {

namespace {

// A block is one pixel narrower than the page and ten pixels shorter.
constexpr int kBlockWidth = kScreenWidth - 1;
constexpr int kBlockHeight = kScreenHeight - 10;
// Emphasis dots are periods.
constexpr int kEmpDotsCode = 46;

// The styles registered first, in this order; they take the body's word
// space. The even running texts, cite, annotation and refer follow them and
// keep their own.
constexpr StyleKind kWordSpaceKinds[] = {
    StyleKind::kBody,      StyleKind::kTitle,    StyleKind::kEpigraph,  StyleKind::kPoem,
    StyleKind::kImage,     StyleKind::kSubtitle, StyleKind::kTitle1,    StyleKind::kSubtitle1,
    StyleKind::kBookTitle, StyleKind::kNote,     StyleKind::kHeaderOdd, StyleKind::kFooterOdd,
};

// An external font value is "file|face|..."; without a face it names nothing.
struct ExternalFont {
    std::string_view file, face;
};

bool ParseExternalFont(const std::string& value, ExternalFont& font) {
    const size_t bar = value.find('|');
    if (bar == std::string::npos) return false;
    const size_t end = value.find('|', bar + 1);
    font.file = std::string_view(value).substr(0, bar);
    font.face = std::string_view(value).substr(bar + 1, end == std::string::npos ? end : end - bar - 1);
    return !font.face.empty();
}

int NotSetAsZero(int32_t value) { return value == -1 ? 0 : value; }

using Tags = std::vector<lrf::TagValue>;

Tags BlockStyleTags(const TPageLayoutSettings& page, const TStyleSettings& style) {
    const int left = NotSetAsZero(style.MarginLeft);
    const int right = NotSetAsZero(style.MarginRight);
    int64_t width = int64_t{kBlockWidth} - page.Left - page.Right;
    int sideMargin = 0;
    if (left == 0 && right != 0) {
        width -= right;
    } else if (left != 0 && left == right) {
        sideMargin = left;
    } else if (left != 0) {
        // Unequal margins: the block is narrowed and shifted right by a block space.
        width -= int64_t{left} + right;
    }
    // A rule number outside the table names no rule: -1, reported when written.
    const int rule = style.BlockRule == -1 ? 1 : style.BlockRule;
    const int ruleValue = rule >= 0 && rule < static_cast<int>(std::size(lrf::kBlockRules)) ? lrf::kBlockRules[rule] : -1;

    using lrf::Tag;
    return {{Tag::kBlockWidth, width},
            {Tag::kBlockHeight, kBlockHeight},
            {Tag::kSideMargin, sideMargin},
            {Tag::kBlockRule, ruleValue},
            {Tag::kLayout, lrf::kLayoutLrTb},
            {Tag::kTopSkip, NotSetAsZero(style.MarginTop)},
            {Tag::kFootSkip, NotSetAsZero(style.MarginBottom)},
            {Tag::kFrameColor, 0},
            {Tag::kFrameMode, lrf::kFrameModeSquare},
            {Tag::kFrameWidth, 0},
            {Tag::kBgImageMode, lrf::kBgImageFix}};
}

Tags TextStyleTags(const TStyleSettings& style) {
    const double fontSize = style.FontSize;
    const int64_t wordSpace = style.WordSpace != 0 && style.WordSpace != -1
                                  ? RoundHalfEven(style.WordSpace * fontSize / 100)
                                  : RoundHalfEven(fontSize / 10 * 2);
    const int64_t baselineSkip = style.LineSpace == -1 ? 0 : RoundHalfEven(fontSize * style.LineSpace / 100);
    const int64_t parIndent =
        style.ParIdent == -1 ? 0 : RoundHalfEven(static_cast<double>(wordSpace) * style.ParIdent * fontSize / 100);
    const int64_t parSkip = style.ParSkip == -1 ? 0 : RoundHalfEven(style.ParSkip * fontSize / 100);

    using lrf::Tag;
    Tags tags;
    // Alignments and weights other than these leave their tag out.
    constexpr int kAligns[] = {lrf::kAlignHead, lrf::kAlignCenter, lrf::kAlignFoot};
    const int align = style.BlockAlign == -1 ? 0 : style.BlockAlign;
    if (align >= 0 && align < 3) tags.push_back({Tag::kAlign, kAligns[align]});
    // A face name goes without the blanks around it.
    tags.push_back({Tag::kFontFaceName, 0, Trim(StyleFace(style))});
    tags.push_back({Tag::kFontSize, style.FontSize});
    tags.push_back({Tag::kFontWidth, -10});
    const int bold = style.IsBold == -1 ? 0 : style.IsBold;
    if (bold == 0 || bold == 1) tags.push_back({Tag::kFontWeight, bold == 1 ? 600 : 400});
    tags.insert(tags.end(), {{Tag::kParIndent, parIndent},
                             {Tag::kBaselineSkip, baselineSkip},
                             {Tag::kLineSpace, 0},
                             {Tag::kWordSpace, wordSpace},
                             {Tag::kParSkip, parSkip},
                             {Tag::kTextLineWidth, 10},
                             {Tag::kFontEscapement, 0},
                             {Tag::kFontOrientation, 0},
                             {Tag::kLetterSpace, 0},
                             {Tag::kCharSpace, 0},
                             {Tag::kLineColor, 0},
                             {Tag::kTextColor, 0},
                             {Tag::kRubyOverhang, lrf::kRubyOverhangNone},
                             {Tag::kRubyAlignAndAdjust, lrf::kRubyAlignStart + lrf::kRubyAdjustNone},
                             {Tag::kEmpDotsPosition, lrf::kPositionBefore},
                             {Tag::kEmpDotsCode, kEmpDotsCode},
                             {Tag::kEmpLinePosition, lrf::kPositionBefore},
                             {Tag::kEmpLineType, lrf::kLineNone},
                             {Tag::kColumn, 1},
                             {Tag::kColumnSep, 0}});
    return tags;
}

// The tags of a page style whose text area is width x height.
Tags PageTags(int64_t width, int64_t height, const TPageLayoutSettings& layout, int headHeight, int headSep,
              int footHeight, int footSep) {
    using lrf::Tag;
    return {{Tag::kTextWidth, width},
            {Tag::kTextHeight, height},
            {Tag::kEvenSideMargin, layout.Left},
            {Tag::kOddSideMargin, layout.Left},
            {Tag::kTopMargin, layout.Top},
            {Tag::kHeadHeight, headHeight},
            {Tag::kHeadSep, headSep},
            {Tag::kFootHeight, footHeight},
            {Tag::kFootSpace, int64_t{footHeight} + footSep},
            {Tag::kLayout, lrf::kLayoutLrTb},
            {Tag::kPagePosition, lrf::kPagePositionAny},
            {Tag::kBgImageMode, lrf::kBgImageFix},
            {Tag::kSetEmptyView, lrf::kEmptyViewEmpty},
            {Tag::kSetWaitProp, lrf::kWaitNoReplay}};
}

// The records of the styles built so far, by name; the first of a name wins.
struct StyleNames {
    std::unordered_map<std::string, uint32_t> text, block;
};

// The block style goes to the store before the text style of the same entry.
void RegisterStyle(lrf::ObjectStore& store, Console& console, const ConversionSettings& settings, StyleKind kind,
                   StyleNames& names) {
    const TStyleSettings& style = Style(settings, kind);
    Tags textStyle, blockStyle;
    StyleTags(settings.PageLayout, style, textStyle, blockStyle);
    const std::string blockName = "bs_" + style.Label, textName = "ts_" + style.Label;
    names.block.try_emplace(blockName, lrf::BuildStyle(store, console, lrf::kKindBlockStyle, blockName, blockStyle));
    names.text.try_emplace(textName, lrf::BuildStyle(store, console, lrf::kKindTextStyle, textName, textStyle));
}

uint32_t RecordOf(const std::unordered_map<std::string, uint32_t>& names, const std::string& name) {
    const auto found = names.find(name);
    return found == names.end() ? lrf::kNoRecord : found->second;
}

int32_t MirrorAlign(int32_t align) {
    if (align == 0) return 2;
    if (align == 2) return 0;
    return align;
}

void RegisterFonts(lrf::ObjectStore& store, const ConversionSettings& settings) {
    for (const TStyleSettings& style : settings.StyleTable) {
        ExternalFont font;
        if (!ParseExternalFont(style.ExternalFontFile, font)) continue;
        lrf::RegisterFont(store, lrf::FontRecord{0, std::string(font.face), std::string(font.file),
                                                    std::string(font.face)});
    }
}

}  // namespace

WString StyleFace(const TStyleSettings& style) {
    ExternalFont font;
    return Widen(ParseExternalFont(style.ExternalFontFile, font) ? font.face : std::string_view(style.FontName));
}

TextArea PageTextArea(const THeaderFooterSettings& shown, const TPageLayoutSettings& layout) {
    const int headHeight = shown.HeaderShow ? layout.HeaderHeight : 0;
    const int headSep = shown.HeaderShow ? layout.HeaderSeparation : 0;
    const int footHeight = shown.FooterShow ? layout.FooterHeight : 0;
    const int footSep = shown.FooterShow ? layout.FooterSeparation : 0;
    return {int64_t{kScreenWidth} - layout.Left - layout.Right,
            int64_t{kScreenHeight} - headHeight - headSep - footHeight - footSep - layout.Top - layout.Bottom};
}

std::vector<lrf::TagValue> PageStyleTags(const THeaderFooterSettings& shown, const TPageLayoutSettings& layout) {
    const TextArea area = PageTextArea(shown, layout);
    return PageTags(area.width, area.height, layout, shown.HeaderShow ? layout.HeaderHeight : 0,
                    shown.HeaderShow ? layout.HeaderSeparation : 0, shown.FooterShow ? layout.FooterHeight : 0,
                    shown.FooterShow ? layout.FooterSeparation : 0);
}

void StyleTags(const TPageLayoutSettings& page, const TStyleSettings& style, std::vector<lrf::TagValue>& textStyle,
               std::vector<lrf::TagValue>& blockStyle) {
    blockStyle = BlockStyleTags(page, style);
    textStyle = TextStyleTags(style);
}

lrf::RuleLine RuleLineOf(const TRuleLineSettings& line) {
    return {static_cast<int16_t>(line.LineLeft),  static_cast<int16_t>(line.LineShift),
            static_cast<int16_t>(kScreenWidth - int64_t{line.LineRight}), static_cast<int16_t>(line.LineWidth),
            static_cast<int16_t>(line.LineColor), static_cast<int16_t>(line.LineStyle)};
}

int32_t BlockSpaceMargin(const TStyleSettings& style) {
    const int left = NotSetAsZero(style.MarginLeft);
    return left != 0 && left != NotSetAsZero(style.MarginRight) ? left : -1;
}

ConversionSettings CompleteStyleTable(ConversionSettings settings) {
    // tit1 and subt1 have no settings section of their own; the copies keep
    // the labels, so their style objects repeat "tit0" and "subtit0".
    Style(settings, StyleKind::kTitle1) = Style(settings, StyleKind::kTitle);
    Style(settings, StyleKind::kSubtitle1) = Style(settings, StyleKind::kSubtitle);
    for (const StyleKind kind : kWordSpaceKinds) {
        Style(settings, kind).WordSpace = Style(settings, StyleKind::kBody).WordSpace;
    }

    // Even-page header and footer: copies of the odd ones (labels included, so
    // the even blocks resolve to the odd styles) with the alignment mirrored.
    TStyleSettings& headerEven = Style(settings, StyleKind::kHeaderEven);
    TStyleSettings& footerEven = Style(settings, StyleKind::kFooterEven);
    headerEven = Style(settings, StyleKind::kHeaderOdd);
    footerEven = Style(settings, StyleKind::kFooterOdd);
    headerEven.BlockAlign = MirrorAlign(headerEven.BlockAlign);
    footerEven.BlockAlign = MirrorAlign(footerEven.BlockAlign);
    return settings;
}

StyleValues DefineStyles(const ConversionSettings& settings, lrf::ObjectStore& store, Console& console) {
    StyleValues values;
    // The front page: the whole screen, no margins, no running header or footer.
    values.FrontPageStyle = lrf::BuildStyle(store, console, lrf::kKindPageStyle, "ps_front",
                                            PageTags(kScreenWidth, kScreenHeight, TPageLayoutSettings{}, 0, 0, 0, 0));
    values.PageStyle = lrf::BuildStyle(store, console, lrf::kKindPageStyle, "ps_" + settings.PageLayout.Label,
                                       PageStyleTags(settings.HeaderFooter, settings.PageLayout));
    // A layout named "front" shares the front page's name: the first style of a name is the one used.
    if (settings.PageLayout.Label == "front") values.PageStyle = values.FrontPageStyle;

    StyleNames names;
    for (const StyleKind kind : kWordSpaceKinds) RegisterStyle(store, console, settings, kind, names);
    for (const StyleKind kind : {StyleKind::kHeaderEven, StyleKind::kFooterEven, StyleKind::kCite,
                                 StyleKind::kAnnotation, StyleKind::kRefer}) {
        RegisterStyle(store, console, settings, kind, names);
    }
    RegisterFonts(store, settings);

    for (size_t kind = 0; kind < kStyleCount; ++kind) {
        const std::string& label = settings.StyleTable[kind].Label;
        values.TextStyle[kind] = RecordOf(names.text, "ts_" + label);
        values.BlockStyle[kind] = RecordOf(names.block, "bs_" + label);
        values.SideMargin[kind] = BlockSpaceMargin(settings.StyleTable[kind]);
    }
    return values;
}

}  // namespace tavorin::fb2
