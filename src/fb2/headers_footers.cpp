// Running headers and footers: the fixed texts chosen by the header and
// footer sources, the odd and even header and footer objects of a page with
// their text blocks, and the cutting of their texts to the line width.
#include "fb2/headers_footers.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "fb2/block_emitter.h"
#include "fb2/body.h"
#include "fb2/description.h"
#include "fb2/char_refs.h"
#include "fb2/pages.h"
#include "fb2/styles.h"
#include "fb2/table_of_contents.h"
#include "lrf/store/builders.h"
#include "lrf/store/object_store.h"
#include "settings/conversion_settings.h"
#include "text/rounding.h"

namespace tavorin::fb2 {
namespace {

struct RunningPartInfo {
    lrf::ElementKind objectKind;
    BlockKind oddKind, evenKind;                // kinds of the two text blocks
};

constexpr std::array<RunningPartInfo, 2> kRunningParts{{
    {lrf::kKindHeader, BlockKind::kHeaderOdd, BlockKind::kHeaderEven},
    {lrf::kKindFooter, BlockKind::kFooterOdd, BlockKind::kFooterEven},
}};

// Characters that fit on the header or footer line at its style's font size.
int64_t LineCapacity(const ConversionSettings& settings, RunningPart part) {
    const int fontSize = Style(settings, StyleOfBlock(kRunningParts[part].oddKind)).FontSize;
    const int width = part == kRunningHeader ? settings.HeaderFooter.HeaderWidth : settings.HeaderFooter.FooterWidth;
    if (fontSize <= 0) return INT64_MAX;
    const double capacity = 48.0 / (fontSize / 10.0) * 10.0 / 584.0 * static_cast<double>(RoundHalfEven(width * 5.84));
    return std::max<int64_t>(0, RoundHalfEven(capacity));
}

// Cuts the text to `length` characters (never inside a surrogate pair) and
// marks the cut.
void CutWithEllipsis(WString& text, size_t length) {
    if (length > 0 && length < text.size() && text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF) --length;
    text.resize(std::min(length, text.size()));
    text += u"...";
}

// The header and footer sources: codes naming texts of the book description.
struct HeaderSource {
    std::string_view code;
    WString (*text)(const BookDescription& d);
};

WString AuthorsThenTitle(const BookDescription& d, WStringView title) {
    if (IsBlank(d.ShortAuthors)) return u"\"" + WString(title) + u"\"";
    return d.ShortAuthors + u", \"" + WString(title) + u"\"";
}

const std::array<HeaderSource, 8> kHeaderSources{{
    {"$A", [](const BookDescription& d) { return d.AuthorsLine; }},
    {"$T", [](const BookDescription& d) { return d.BookTitle; }},
    {"$TS", [](const BookDescription& d) { return d.BookTitle + d.SeriesTag; }},
    {"$AT", [](const BookDescription& d) { return AuthorsThenTitle(d, d.BookTitle); }},
    {"$ATS", [](const BookDescription& d) { return AuthorsThenTitle(d, d.BookTitle + d.SeriesTag); }},
    {"$TA",
     [](const BookDescription& d) {
         if (IsBlank(d.BookTitle)) return u"\"" + d.ShortAuthors;
         return u"\"" + d.BookTitle + u"\", " + d.ShortAuthors;
     }},
    {"$TSA",
     [](const BookDescription& d) {
         if (IsBlank(d.BookTitle) || IsBlank(d.SeriesTag)) return u"\"" + d.ShortAuthors;
         return u"\"" + d.BookTitle + d.SeriesTag + u"\", " + d.ShortAuthors;
     }},
    // Each page shows its own title.
    {"$C", [](const BookDescription&) { return WString(); }},
}};

// The text of a source; `fixed` tells whether it is the same on every page.
WString SourceText(const BookDescription& d, const std::string& source, bool& fixed) {
    for (const HeaderSource& row : kHeaderSources) {
        if (row.code == source) {
            fixed = row.code != "$C";
            return row.text(d);
        }
    }
    fixed = true;
    return Widen(source);
}

}  // namespace

TextContent RunningPartText(const ConversionSettings& settings, RunningPart part, const TextContent& title,
                            bool cutAtWord) {
    WString plain = TocText(title);
    const int64_t capacity = LineCapacity(settings, part);
    if (static_cast<int64_t>(plain.size()) > capacity) CutWithEllipsis(plain, static_cast<size_t>(capacity));
    // A new page's title is cut at a word within 40 characters.
    constexpr size_t kWordCut = 40, kHardCut = 30;
    if (cutAtWord && plain.size() > kWordCut) {
        const size_t blank = WStringView(plain).substr(0, kWordCut).rfind(u' ');
        CutWithEllipsis(plain, blank == WStringView::npos ? kHardCut : blank + 1);
    }
    TextContent text;
    text.Text(plain);
    WrapStyleEmphasis(settings, StyleOfBlock(kRunningParts[part].oddKind), text);
    InsertMarks(text, 0, {TextCode::kParagraph});
    text.Mark(TextCode::kParagraphEnd);
    return text;
}

RunningHeaders::Pair MakeRunningPair(RunningHeaders& running, lrf::ObjectStore& store, Console& console,
                                     const ConversionSettings& settings, const StyleValues& styles, RunningPart part,
                                     const TextContent& title, bool cutAtWord) {
    const bool header = part == kRunningHeader;
    const bool fixed = header ? running.HeaderFixed : running.FooterFixed;
    int& counter = header ? running.HeaderCounter : running.FooterCounter;
    RunningHeaders::Pair& fixedPair = header ? running.FixedHeader : running.FixedFooter;
    if (fixed && counter != 0) return fixedPair;

    const RunningPartInfo& info = kRunningParts[part];
    const TRuleLineSettings& line = header ? settings.HeaderLine : settings.FooterLine;
    using lrf::Tag;
    static const lrf::TagValue kFrame[] = {{Tag::kFrameMode, lrf::kFrameModeSquare},
                                           {Tag::kLayout, lrf::kLayoutLrTb},
                                           {Tag::kFrameWidth, 0},
                                           {Tag::kFrameColor, 0}};
    // Both objects show the first of the two blocks made below.
    lrf::HeaderFooterRecord record;
    record.block = static_cast<uint32_t>(store.blocks.size());
    record.x1 = 0;
    record.y1 = static_cast<int16_t>(line.TextShift);
    record.line = header ? running.HeaderRuleLine : running.FooterRuleLine;
    RunningHeaders::Pair pair;
    pair.odd = lrf::BuildHeaderFooter(store, console, info.objectKind, record, kFrame);
    pair.even = lrf::BuildHeaderFooter(store, console, info.objectKind, record, kFrame);

    TextContent fixedText;
    if (fixed) {
        fixedText.Text(header ? running.HeaderText : running.FooterText);
        DecodeContentText(fixedText);
        fixedPair = pair;
    }
    const TextContent text = RunningPartText(settings, part, fixed ? fixedText : title, cutAtWord);
    EmitRunningTextBlock(store, styles, info.oddKind, text);
    EmitRunningTextBlock(store, styles, info.evenKind, text);
    ++counter;
    return pair;
}

void BuildHeaderFooterSources(RunningHeaders& running, const BookDescription& description,
                              const ConversionSettings& settings) {
    running.HeaderText = SourceText(description, settings.HeaderFooter.HeaderSource, running.HeaderFixed);
    running.FooterText = SourceText(description, settings.HeaderFooter.FooterSource, running.FooterFixed);
    running.HeaderRuleLine = RuleLineOf(settings.HeaderLine);
    running.FooterRuleLine = RuleLineOf(settings.FooterLine);
}

}  // namespace tavorin::fb2
