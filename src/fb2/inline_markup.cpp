// Paragraph and inline elements: the FB2 inline tags become text operations
// through a fixed table; links become pairs of buttons, paragraphs with an id
// become anchors, and reference links take the look chosen in the reference
// settings.
#include "fb2/inline_markup.h"

#include <array>
#include <span>

#include "fb2/body.h"
#include "fb2/id_labels.h"
#include "fb2/notes.h"
#include "fb2/pages.h"
#include "lrf/store/builders.h"
#include "lrf/store/object_store.h"

namespace tavorin::fb2 {
namespace {

constexpr TagForm kStart = TagForm::Start;
constexpr TagForm kEnd = TagForm::End;
constexpr TagForm kEmpty = TagForm::Empty;

using enum TextCode;
constexpr TextCode kNone = kText;  // no operation

// Inline elements of a body by name and form. Elements not listed keep their
// text and lose only their tags. Table cells are separated by the body loop.
constexpr std::array<InlineMarkup, 33> kInlineMarkup{{
    {u"p", kStart, {kParagraph, kNone}, false},
    {u"p", kEnd, {kParagraphEnd, kLineBreak}, true},
    {u"p", kEmpty, {kEmptyParagraph, kLineBreak}, true},
    {u"empty-line", kEmpty, {kLineBreak, kNone}, true},
    {u"empty-line", kStart, {kLineBreak, kNone}, true},
    {u"emphasis", kStart, {kItalic, kNone}, false},
    {u"emphasis", kEnd, {kItalicEnd, kNone}, false},
    {u"strong", kStart, {kBold, kNone}, false},
    {u"strong", kEnd, {kBoldEnd, kNone}, false},
    {u"text-author", kEnd, {kNone, kNone}, false},
    {u"stanza", kStart, {kLineBreak, kNone}, true},
    {u"stanza", kEnd, {kLineBreak, kNone}, true},
    {u"v", kStart, {kParagraph, kNone}, false},
    {u"v", kEnd, {kParagraphEnd, kLineBreak}, true},
    {u"sup", kStart, {kSup, kNone}, false},
    {u"sup", kEnd, {kSupEnd, kNone}, false},
    {u"sub", kStart, {kSub, kNone}, false},
    {u"sub", kEnd, {kSubEnd, kNone}, false},
    {u"a", kEnd, {kEmpLineEnd, kButtonEnd}, false},
    // Program code in the readers' monospace face.
    {u"code", kStart, {kSpan, kNone}, false},
    {u"code", kEnd, {kSpanEnd, kNone}, false},
    // A table's caption is a paragraph before it, each row is one paragraph,
    // header cells are bold.
    {u"caption", kStart, {kParagraph, kNone}, false},
    {u"caption", kEnd, {kParagraphEnd, kLineBreak}, true},
    {u"table", kStart, {kNone, kNone}, true},
    {u"table", kEnd, {kNone, kNone}, true},
    {u"tr", kStart, {kParagraph, kNone}, true},
    {u"tr", kEnd, {kParagraphEnd, kLineBreak}, true},
    {u"th", kStart, {kBold, kNone}, false},
    {u"th", kEnd, {kBoldEnd, kNone}, true},
    {u"th", kEmpty, {kNone, kNone}, true},
    {u"td", kStart, {kNone, kNone}, false},
    {u"td", kEnd, {kNone, kNone}, true},
    {u"td", kEmpty, {kNone, kNone}, true},
}};

// The monospace face of program code, and its weight in the measure.
constexpr WStringView kCodeFace = u"Courier10 BT Roman";
constexpr size_t kCodeSpanWeight = 40;

// Web, mail and other addressed links: shown as their address, no button.
bool IsExternalAddress(WStringView href) {
    return Contains(href, u"://") || StartsWith(href, u"mailto:");
}

bool IsDottedLine(const TextContent& content, const TextOperation& op) {
    const auto tags = std::span<const uint8_t>(content.tags).subspan(op.start, op.end - op.start);
    for (size_t at = 0; at + 3 < tags.size(); at += 4) {
        if (lrf::GetU16(tags, at) == 0xF57A) return lrf::GetU16(tags, at + 2) == 0x40;
    }
    return false;
}

// Rewrites the text and line type of the last link button of the content:
// the last dotted emphasis line, up to the last line end. Searches run
// backwards from the end: the link just closed is the last one. Returns the
// change of the content's measure.
ptrdiff_t StyleLastLink(TextContent& content, int refStyle, int underLine) {
    auto& ops = content.ops;
    size_t open = ops.size();
    while (open > 0 && !(ops[open - 1].code == kEmpLine && IsDottedLine(content, ops[open - 1]))) --open;
    if (open == 0) return 0;
    --open;
    ptrdiff_t change = 0;
    if (refStyle == 1 || refStyle == 2) {
        size_t close = ops.size();
        while (close > 0 && ops[close - 1].code != kEmpLineEnd) --close;
        if (close > open + 1) {
            --close;
            for (size_t k = open + 1; k < close; ++k) {
                if (ops[k].code != kText) continue;
                WString label(TextOf(content, ops[k]));
                EraseChars(label, u"[]");
                change -= static_cast<ptrdiff_t>(ops[k].end - ops[k].start - label.size());
                ops[k].start = content.characters.size();
                content.characters += label;
                ops[k].end = content.characters.size();
            }
            if (refStyle == 2) {
                TextContent bracket;
                bracket.Text(u"]");
                InsertContent(content, close, bracket);
                bracket.characters = u"[";
                InsertContent(content, open + 1, bracket);
                change += 2;
            }
        } else if (close == open + 1 && refStyle == 2) {
            TextContent brackets;
            brackets.Text(u"[]");
            InsertContent(content, close, brackets);
            change += 2;
        }
    }
    if (underLine >= 0 && underLine <= 4) {
        SetLinkLineType(content, open, underLine);
        change += static_cast<ptrdiff_t>(LineTypeName(underLine).size()) - 6;
    }
    return change;
}

}  // namespace

const InlineMarkup* FindInlineMarkup(const Fb2Tag& tag) {
    for (const InlineMarkup& row : kInlineMarkup) {
        if (row.form == tag.form && row.name == tag.name) return &row;
    }
    return nullptr;
}

void AppendInlineMarkup(const InlineMarkup& row, Fragment& out) {
    for (const TextCode code : row.codes) {
        if (code == kNone) continue;
        if (code == kSpan) {
            StringSink ignored;
            Console console(ignored);
            const lrf::TagValue face[] = {{lrf::Tag::kFontFaceName, 0, WString(kCodeFace)}};
            out.content.Attributes(kSpan, face, console);
            out.weight += kCodeSpanWeight;
            continue;
        }
        out.Mark(code);
    }
}

void ConvertLink(BodyState& body, LinkTable& links, lrf::ObjectStore& store, WStringView tag, Fragment& out) {
    const WString href = Fb2Attribute(tag, u"href");
    // A link without a button (an address, or no href at all) drops its "</a>".
    body.ExternalLinkOpen = IsExternalAddress(href) || href.empty();
    if (body.ExternalLinkOpen) {
        if (href.empty()) return;
        out.Text(u"(");
        out.Mark(kItalic);
        out.Text(href);
        out.Mark(kItalicEnd);
        out.Text(u") ");
        return;
    }

    const WString id = StartsWith(href, u"#") ? href.substr(1) : href;
    const std::string label = Narrow(id);
    const std::string forward = std::string(kForwardButtonPrefix) + label;
    RegisterButton(links, store, forward);
    // Until the block holding the link is emitted, the way back leads to the
    // block after the next one.
    RegisterButton(links, store, std::string(kReturnButtonPrefix) + label,
                   {ButtonAim::Kind::kNumberedTextBlock, static_cast<uint32_t>(store.blocks.size() + 1), {}});
    // The way back leads to the block that holds the link, once it is emitted.
    AwaitTextBlock(links, store);
    // The block holding the link ends at the next paragraph end.
    body.FlushThreshold = 1;
    // The link's button is the first one made for the id.
    out.content.Button(NewButtonRef(store, static_cast<uint32_t>(links.ForwardButtons.at(forward))));
    out.weight += kButtonWeight + kForwardButtonPrefix.size() + id.size();
    LinkLine(out.content, kDottedLine);
    out.weight += kLinkLineWeight + LineTypeName(kDottedLine).size();
}

void ConvertAnchorParagraph(BodyState& body, LinkTable& links, const PageCursor& cursor,
                            lrf::ObjectStore& store, WStringView tag, Fragment& out) {
    const WString id = Fb2Attribute(tag, u"id");
    out.Mark(kParagraph);
    // Other paragraph attributes (a language, a style) leave nothing to point at.
    if (id.empty()) return;
    AddAnchor(links, cursor, store, id);
    body.FlushThreshold = 1;
    out.content.Button(ReturnButtonRef(links, store, id));
    out.weight += kButtonWeight + kReturnButtonPrefix.size() + id.size();
    LinkLine(out.content, kDottedLine);
    out.weight += kLinkLineWeight + LineTypeName(kDottedLine).size();
    out.Mark(kEmpLineEnd);
    out.Mark(kButtonEnd);
}

void ApplyLinkSettings(const TReferenceSettings& refs, TextContent& content, size_t& measure) {
    if (refs.RefSuperScript) {
        auto& ops = content.ops;
        size_t emp = ops.size(), close = ops.size();
        while (emp > 0 && ops[emp - 1].code != kEmpLine) --emp;
        while (close > 0 && ops[close - 1].code != kButtonEnd) --close;
        if (emp > 0 && close > 0 && emp < close) {
            InsertMarks(content, close - 1, {kSupEnd});
            InsertMarks(content, emp - 1, {kSup});
            measure += MarkWeight(kSup) + MarkWeight(kSupEnd);
        }
    }
    measure = static_cast<size_t>(static_cast<ptrdiff_t>(measure) + StyleLastLink(content, refs.RefStyle, refs.RefUnderLine));
}

void ApplyNoteLinkSettings(const TReferenceSettings& references, TextContent& content) {
    StyleLastLink(content, references.RefNStyle, references.RefNUnderLine);
}


}  // namespace tavorin::fb2
