// Running headers and footers: the fixed texts chosen by the header and
// footer sources, the odd and even header and footer objects of a page with
// their text blocks, and the cutting of their texts to the line width.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "app/run_state.h"
#include "fb2/body.h"
#include "fb2/conversion_state.h"
#include "fb2/description.h"
#include "fb2/inline_markup.h"
#include "fb2/pages.h"
#include "lrf/store/builders.h"
#include "settings/conversion_settings.h"

namespace tavorin::fb2 {
namespace {

struct RunningPartInfo {
    lrf::ElementKind objectKind;
    std::u16string_view oddPrefix, evenPrefix;  // objid prefixes of the two objects
    int oddKind, evenKind;                      // block and style kinds of the two text blocks
};

constexpr std::array<RunningPartInfo, 2> kRunningParts{{
    {lrf::kKindHeader, u"hdr_o", u"hdr_e", kBlockHeaderOdd, kBlockHeaderEven},
    {lrf::kKindFooter, u"ftr_o", u"ftr_e", kBlockFooterOdd, kBlockFooterEven},
}};

bool IsFixed(RunningPart part) { return part == kRunningHeader ? g_conv.HeaderFixed : g_conv.FooterFixed; }
int& PairCounter(RunningPart part) { return part == kRunningHeader ? g_conv.HeaderCounter : g_conv.FooterCounter; }

// Characters that fit on the header or footer line at its style's font size.
int64_t LineCapacity(RunningPart part) {
    const int fontSize = g_settings.StyleTable[kRunningParts[part].oddKind].FontSize;
    const int width = part == kRunningHeader ? g_settings.HeaderFooter.HeaderWidth : g_settings.HeaderFooter.FooterWidth;
    if (fontSize <= 0) return INT64_MAX;
    const double capacity = 48.0 / (fontSize / 10.0) * 10.0 / 584.0 * static_cast<double>(RoundHalfEven(width * 5.84));
    return std::max<int64_t>(0, RoundHalfEven(capacity));
}

void CutWithEllipsis(WString& text, size_t length) {
    text.resize(SafeCutPosition(text, length));
    text += u"...";
}

// The header and footer sources: codes naming texts of the book description.
struct HeaderSource {
    std::string_view code;
    WString (*text)();
};

WString AuthorsThenTitle(WStringView title) {
    const BookDescription& d = g_description;
    if (IsBlank(d.ShortAuthors)) return u"\"" + WString(title) + u"\"";
    return d.ShortAuthors + u", \"" + WString(title) + u"\"";
}

const std::array<HeaderSource, 8> kHeaderSources{{
    {"$A", [] { return g_description.AuthorsLine; }},
    {"$T", [] { return g_description.BookTitle; }},
    {"$TS", [] { return g_description.BookTitle + g_description.SeriesTag; }},
    {"$AT", [] { return AuthorsThenTitle(g_description.BookTitle); }},
    {"$ATS", [] { return AuthorsThenTitle(g_description.BookTitle + g_description.SeriesTag); }},
    {"$TA",
     [] {
         const BookDescription& d = g_description;
         if (IsBlank(d.BookTitle)) return u"\"" + d.ShortAuthors;
         return u"\"" + d.BookTitle + u"\", " + d.ShortAuthors;
     }},
    {"$TSA",
     [] {
         const BookDescription& d = g_description;
         if (IsBlank(d.BookTitle) || IsBlank(d.SeriesTag)) return u"\"" + d.ShortAuthors;
         return u"\"" + d.BookTitle + d.SeriesTag + u"\", " + d.ShortAuthors;
     }},
    // Each page shows its own title.
    {"$C", [] { return WString(); }},
}};

// The text of a source; `fixed` tells whether it is the same on every page.
WString SourceText(const std::string& source, bool& fixed) {
    for (const HeaderSource& row : kHeaderSources) {
        if (row.code == source) {
            fixed = row.code != "$C";
            return row.text();
        }
    }
    fixed = true;
    return Widen(source);
}

}  // namespace

WString RunningPartText(RunningPart part, WStringView text, bool cutAtWord) {
    WString plain = TocText(text);
    lrf::StripMarkup(plain);
    const int64_t capacity = LineCapacity(part);
    if (static_cast<int64_t>(plain.size()) > capacity) CutWithEllipsis(plain, static_cast<size_t>(capacity));
    // A new page's title is cut at a word within 40 characters.
    constexpr size_t kWordCut = 40, kHardCut = 30;
    if (cutAtWord && plain.size() > kWordCut) {
        const size_t blank = WStringView(plain).substr(0, kWordCut).rfind(u' ');
        CutWithEllipsis(plain, blank == WStringView::npos ? kHardCut : blank + 1);
    }
    WrapStyleEmphasis(kRunningParts[part].oddKind, plain);
    return u"<P>" + plain + u"</P>";
}

int MakeRunningPair(RunningPart part, WStringView title, bool cutAtWord) {
    const bool fixed = IsFixed(part);
    int& counter = PairCounter(part);
    const int number = fixed ? 0 : counter;
    if (fixed && counter != 0) return number;

    const RunningPartInfo& info = kRunningParts[part];
    const TRuleLineSettings& line = part == kRunningHeader ? g_settings.HeaderLine : g_settings.FooterLine;
    const WString& ruleLine = part == kRunningHeader ? g_conv.HeaderRuleLine : g_conv.FooterRuleLine;
    // Both objects show the first of the two blocks made below.
    const WString tail = ToWString(number) + u"\" x1=\"0\" y1=\"" + ToWString(line.TextShift) + u"\" refobj=\"b" +
                         ToWString(g_conv.BlockCounter) + u"\"";
    for (const std::u16string_view prefix : {info.oddPrefix, info.evenPrefix}) {
        lrf::BuildHeaderFooter(lrf::g_store, RunConsole(), info.objectKind,
                               u" framemode=\"square\" layout=\"LrTb\" framewidth=\"0\" framecolor=\"0x00000000\" objid=\"" +
                                   WString(prefix) + tail,
                               ruleLine);
    }

    const WString& fixedText = part == kRunningHeader ? g_conv.HeaderText : g_conv.FooterText;
    const WString text = RunningPartText(part, fixed ? WStringView(fixedText) : title, cutAtWord);
    // These blocks belong to the header or footer, not to the page.
    lrf::g_store.inMainFlow = false;
    EmitBlock(info.oddKind, text);
    EmitBlock(info.evenKind, text);
    lrf::g_store.inMainFlow = true;
    ++counter;
    return number;
}

void BuildHeaderFooterSources() {
    g_conv.HeaderText = SourceText(g_settings.HeaderFooter.HeaderSource, g_conv.HeaderFixed);
    g_conv.FooterText = SourceText(g_settings.HeaderFooter.FooterSource, g_conv.FooterFixed);
}

}  // namespace tavorin::fb2
