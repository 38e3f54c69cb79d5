// Style definitions: turns the conversion settings into the page, block and
// text style elements of the book, the rule lines of running headers and
// footers, and the registrations of external fonts.
#include "fb2/styles.h"

#include <array>
#include <string_view>

#include "text/rounding.h"
#include "fb2/markup_attributes.h"
#include "lrf/store/builders.h"
#include "lrf/store/object_store.h"

namespace tavorin::fb2 {

namespace {

// A block is one pixel narrower than the page and ten pixels shorter.
constexpr int kBlockWidth = kScreenWidth - 1;
constexpr int kBlockHeight = kScreenHeight - 10;

// Emphasis dots are periods.
constexpr int kEmpDotsCode = 46;

constexpr std::array<std::u16string_view, 6> kBlockRuleNames = {
    u"horz-fixed", u"horz-adjustable", u"vert-fixed", u"vert-adjustable", u"block-fixed", u"block-adjustable",
};

constexpr std::u16string_view kFrontPageStyle =
    u" stylelabel=\"ps_front\" objid=\"ps_front\" textwidth=\"584\" textheight=\"754\""
    u" evensidemargin=\"0\" oddsidemargin=\"0\" topmargin=\"0\" headheight=\"0\" headsep=\"0\""
    u" footheight=\"0\" footspace=\"0\" layout=\"LrTb\" pageposition=\"any\" bgimagemode=\"fix\""
    u" setemptyview=\"empty\" setwaitprop=\"noreplay\"";

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

WString BlockStyleAttributes(const TPageLayoutSettings& page, const TStyleSettings& style) {
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
    const int rule = style.BlockRule == -1 ? 1 : style.BlockRule;
    const std::u16string_view ruleName =
        rule >= 0 && rule < static_cast<int>(kBlockRuleNames.size()) ? kBlockRuleNames[rule] : u"";

    return u" stylelabel=\"bs_" + Widen(style.Label) + u"\"" + NumberAttribute(u"blockwidth", width) +
           NumberAttribute(u"blockheight", kBlockHeight) + NumberAttribute(u"sidemargin", sideMargin) +
           u" blockrule=\"" + WString(ruleName) + u"\" layout=\"LrTb\"" +
           NumberAttribute(u"topskip", NotSetAsZero(style.MarginTop)) +
           NumberAttribute(u"footskip", NotSetAsZero(style.MarginBottom)) +
           u" framecolor=\"0x00000000\" framemode=\"square\" framewidth=\"0\" bgimagemode=\"fix\"";
}

std::u16string_view AlignAttribute(int32_t blockAlign) {
    switch (blockAlign == -1 ? 0 : blockAlign) {
        case 0: return u" align=\"head\"";
        case 1: return u" align=\"center\"";
        case 2: return u" align=\"foot\"";
        default: return u"";
    }
}

std::u16string_view WeightAttribute(int32_t isBold) {
    switch (isBold == -1 ? 0 : isBold) {
        case 0: return u" fontweight=\"400\"";
        case 1: return u" fontweight=\"600\"";
        default: return u"";
    }
}

WString TextStyleAttributes(const TStyleSettings& style) {
    const double fontSize = style.FontSize;
    const int64_t wordSpace = style.WordSpace != 0 && style.WordSpace != -1
                                  ? RoundHalfEven(style.WordSpace * fontSize / 100)
                                  : RoundHalfEven(fontSize / 10 * 2);
    const int64_t baselineSkip = style.LineSpace == -1 ? 0 : RoundHalfEven(fontSize * style.LineSpace / 100);
    const int64_t parIndent =
        style.ParIdent == -1 ? 0 : RoundHalfEven(static_cast<double>(wordSpace) * style.ParIdent * fontSize / 100);
    const int64_t parSkip = style.ParSkip == -1 ? 0 : RoundHalfEven(style.ParSkip * fontSize / 100);

    return u"  stylelabel=\"ts_" + Widen(style.Label) + u"\"" + WString(AlignAttribute(style.BlockAlign)) +
           u" fontfacename=\"" + StyleFace(style) + u"\"" + NumberAttribute(u"fontsize", style.FontSize) +
           u" fontwidth=\"-10\"" + WString(WeightAttribute(style.IsBold)) + NumberAttribute(u"parindent", parIndent) +
           NumberAttribute(u"baselineskip", baselineSkip) + u" linespace=\"0\"" +
           NumberAttribute(u"wordspace", wordSpace) +
           NumberAttribute(u"parskip", parSkip) +
           u" textlinewidth=\"10\" fontescapement=\"0\" fontorientation=\"0\" letterspace=\"0\" charspace=\"0\""
           u" linecolor=\"0x00000000\" textcolor=\"0x00000000\" rubyalign=\"start\" rubyoverhang=\"none\""
           u" rubyadjust=\"none\" empdotsposition=\"before\"" +
           NumberAttribute(u"empdotscode", kEmpDotsCode) +
           u" emplineposition=\"before\" emplinetype=\"none\" column=\"1\" columnsep=\"0\" autoindex=\"off\"";
}

// The block style goes to the store before the text style of the same entry.
void RegisterStyle(lrf::ObjectStore& store, Console& console, const ConversionSettings& settings, StyleKind kind) {
    WString textStyle, blockStyle;
    StyleAttributes(settings.PageLayout, Style(settings, kind), textStyle, blockStyle);
    lrf::BuildStyle(store, console, lrf::kKindBlockStyle, blockStyle);
    lrf::BuildStyle(store, console, lrf::kKindTextStyle, textStyle);
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
        const WString face = Widen(font.face);
        lrf::RegisterFont(store, u" fontname=\"" + face + u"\" file=\"" + Widen(font.file) +
                          u"\" encoding=\"TTF\" fontfilename=\"" + face + u"\"/>");
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

WString PageStyleAttributes(const THeaderFooterSettings& shown, const TPageLayoutSettings& layout) {
    const int headHeight = shown.HeaderShow ? layout.HeaderHeight : 0;
    const int headSep = shown.HeaderShow ? layout.HeaderSeparation : 0;
    const int footHeight = shown.FooterShow ? layout.FooterHeight : 0;
    const int footSep = shown.FooterShow ? layout.FooterSeparation : 0;
    const TextArea area = PageTextArea(shown, layout);

    return u" stylelabel=\"ps_" + Widen(layout.Label) + u"\"" + NumberAttribute(u"textwidth", area.width) +
           NumberAttribute(u"textheight", area.height) + NumberAttribute(u"evensidemargin", layout.Left) +
           NumberAttribute(u"oddsidemargin", layout.Left) + NumberAttribute(u"topmargin", layout.Top) +
           NumberAttribute(u"headheight", headHeight) + NumberAttribute(u"headsep", headSep) +
           NumberAttribute(u"footheight", footHeight) + NumberAttribute(u"footspace", int64_t{footHeight} + footSep) +
           u" layout=\"LrTb\" pageposition=\"any\" bgimagemode=\"fix\" setemptyview=\"empty\""
           u" setwaitprop=\"noreplay\"";
}

void StyleAttributes(const TPageLayoutSettings& page, const TStyleSettings& style, WString& textStyle,
                     WString& blockStyle) {
    blockStyle = BlockStyleAttributes(page, style);
    textStyle = TextStyleAttributes(style);
}

WString RuleLineAttributes(const TRuleLineSettings& line) {
    return NumberAttribute(u"xl0", line.LineLeft) + NumberAttribute(u"yl0", line.LineShift) +
           NumberAttribute(u"xl1", int64_t{kScreenWidth} - line.LineRight) + NumberAttribute(u"yl1", line.LineShift) +
           NumberAttribute(u"lw", line.LineWidth) + NumberAttribute(u"lc", line.LineColor) +
           NumberAttribute(u"lt", line.LineStyle);
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
    lrf::BuildStyle(store, console, lrf::kKindPageStyle, kFrontPageStyle);
    lrf::BuildStyle(store, console, lrf::kKindPageStyle,
                    PageStyleAttributes(settings.HeaderFooter, settings.PageLayout));

    for (const StyleKind kind : kWordSpaceKinds) RegisterStyle(store, console, settings, kind);
    for (const StyleKind kind : {StyleKind::kHeaderEven, StyleKind::kFooterEven, StyleKind::kCite,
                                 StyleKind::kAnnotation, StyleKind::kRefer}) {
        RegisterStyle(store, console, settings, kind);
    }
    RegisterFonts(store, settings);

    StyleValues values;
    for (size_t kind = 0; kind < kStyleCount; ++kind) {
        values.SideMargin[kind] = BlockSpaceMargin(settings.StyleTable[kind]);
    }
    return values;
}

}  // namespace tavorin::fb2
