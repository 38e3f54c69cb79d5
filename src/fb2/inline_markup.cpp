// Paragraph and inline markup: the FB2 inline tags become layout markup
// through a fixed replacement table; links become pairs of buttons, paragraphs
// with an id become anchors, and reference links take the look chosen in the
// reference settings.
#include "fb2/inline_markup.h"

#include <array>

#include "fb2/body.h"
#include "fb2/id_labels.h"
#include "fb2/notes.h"
#include "fb2/pages.h"
#include "lrf/store/builders.h"
#include "lrf/store/object_store.h"

namespace tavorin::fb2 {
namespace {

struct Replacement {
    std::u16string_view pattern;
    std::u16string_view markup;
};

// The annotation's patterns, tried in this order on the whole text.
constexpr std::array<Replacement, 18> kReplacementTable{{
    {u"<p>", u"<P>"},
    {u"</p>", u"</P><CR/>"},
    {u"<p/>", u"<P/><CR/>"},
    {u"<empty-line/>", u"<CR/>"},
    {u"<emphasis>", u"<Italic>"},
    {u"</emphasis>", u"</Italic>"},
    {u"<strong>", u"<Bold>"},
    {u"</strong>", u"</Bold>"},
    {u"</text-author>", u""},
    {u"<stanza>", u"<CR/>"},
    {u"</stanza>", u"<CR/>"},
    {u"<v>", u"<P>"},
    {u"</v>", u"</P><CR/>"},
    {u"<sup>", u"<Sup>"},
    {u"</sup>", u"</Sup>"},
    {u"<sub>", u"<Sub>"},
    {u"</sub>", u"</Sub>"},
    {u"<p ", u"<P>"},
}};

constexpr TagForm kStart = TagForm::Start;
constexpr TagForm kEnd = TagForm::End;
constexpr TagForm kEmpty = TagForm::Empty;

// Inline elements of a body by name and form. Elements not listed keep their
// text and lose only their tags. Table cells are separated by the body loop.
constexpr std::array<InlineMarkup, 33> kInlineMarkup{{
    {u"p", kStart, u"<P>", false},
    {u"p", kEnd, u"</P><CR/>", true},
    {u"p", kEmpty, u"<P/><CR/>", true},
    {u"empty-line", kEmpty, u"<CR/>", true},
    {u"empty-line", kStart, u"<CR/>", true},
    {u"emphasis", kStart, u"<Italic>", false},
    {u"emphasis", kEnd, u"</Italic>", false},
    {u"strong", kStart, u"<Bold>", false},
    {u"strong", kEnd, u"</Bold>", false},
    {u"text-author", kEnd, u"", false},
    {u"stanza", kStart, u"<CR/>", true},
    {u"stanza", kEnd, u"<CR/>", true},
    {u"v", kStart, u"<P>", false},
    {u"v", kEnd, u"</P><CR/>", true},
    {u"sup", kStart, u"<Sup>", false},
    {u"sup", kEnd, u"</Sup>", false},
    {u"sub", kStart, u"<Sub>", false},
    {u"sub", kEnd, u"</Sub>", false},
    {u"a", kEnd, kLinkClose, false},
    // Program code in the readers' monospace face.
    {u"code", kStart, u"<Span fontfacename=\"Courier10 BT Roman\">", false},
    {u"code", kEnd, u"</Span>", false},
    // A table's caption is a paragraph before it, each row is one paragraph,
    // header cells are bold.
    {u"caption", kStart, u"<P>", false},
    {u"caption", kEnd, u"</P><CR/>", true},
    {u"table", kStart, u"", true},
    {u"table", kEnd, u"", true},
    {u"tr", kStart, u"<P>", true},
    {u"tr", kEnd, u"</P><CR/>", true},
    {u"th", kStart, u"<Bold>", false},
    {u"th", kEnd, u"</Bold>", true},
    {u"th", kEmpty, u"", true},
    {u"td", kStart, u"", false},
    {u"td", kEnd, u"", true},
    {u"td", kEmpty, u"", true},
}};

constexpr std::u16string_view kButtonTextStart = u"emplinetype=\"dotted\">";
constexpr std::u16string_view kButtonStart =
    u"><EmpLine emplineposition=\"after\" emplinetype=\"dotted\">";

// Line types of RefUnderLine and RefNUnderLine.
constexpr std::array<std::u16string_view, 5> kLineTypes{u"none", u"solid", u"dotted", u"dashed", u"double"};

// Web, mail and other addressed links: shown as their address, no button.
bool IsExternalAddress(WStringView href) {
    return Contains(href, u"://") || StartsWith(href, u"mailto:");
}

// Rewrites the text and line type of the last link button of the text.
// Searches run backwards from the end: the link just closed is the last one.
void StyleLastLink(WString& text, int refStyle, int underLine) {
    const size_t open = text.rfind(kButtonTextStart);
    if (open == WString::npos) return;
    if (refStyle == 1 || refStyle == 2) {
        const size_t start = open + kButtonTextStart.size();
        const size_t close = text.rfind(u"</EmpLine");
        if (close != WString::npos && close >= start) {
            WString label = text.substr(start, close - start);
            EraseChars(label, u"[]");
            if (refStyle == 2) label = u"[" + label + u"]";
            text.replace(start, close - start, label);
        }
    }
    if (underLine >= 0 && underLine < static_cast<int>(kLineTypes.size())) {
        text.replace(open, kButtonTextStart.size(),
                     WString(u"emplinetype=\"") + WString(kLineTypes[underLine]) + u"\">");
    }
}

}  // namespace

void ApplyReplacementTable(WString& text) {
    for (const Replacement& row : kReplacementTable) {
        // Deleting a pattern can join its neighbours into a new occurrence.
        while (Contains(text, row.pattern)) ReplaceAll(text, row.pattern, row.markup);
    }
    text = Trim(text);
}

const InlineMarkup* FindInlineMarkup(const Fb2Tag& tag) {
    for (const InlineMarkup& row : kInlineMarkup) {
        if (row.form == tag.form && row.name == tag.name) return &row;
    }
    return nullptr;
}

WString ConvertLink(BodyState& body, LinkTable& links, lrf::ObjectStore& store, const PageCursor& cursor,
                    WStringView tag) {
    const WString href = Fb2Attribute(tag, u"href");
    // A link without a button (an address, or no href at all) drops its "</a>".
    body.ExternalLinkOpen = IsExternalAddress(href) || href.empty();
    if (body.ExternalLinkOpen) return href.empty() ? WString() : u"(<Italic>" + href + u"</Italic>) ";

    const WString id = StartsWith(href, u"#") ? href.substr(1) : href;
    const std::string label = Narrow(id);
    RegisterButton(links, store, {.objid = std::string(kForwardButtonPrefix) + label, .refPage = {}, .refObj = {}});
    RegisterButton(links, store,
                   {.objid = std::string(kReturnButtonPrefix) + label,
                    .refPage = "p" + std::to_string(cursor.PageCounter),
                    .refObj = "b" + std::to_string(cursor.BlockCounter + 1)});
    // The way back leads to the block that holds the link, once it is emitted.
    AwaitTextBlock(links, store);
    // The block holding the link ends at the next paragraph end.
    body.FlushThreshold = 1;
    return u"<CharButton refobj=\"" + WString(kForwardButtonMarkup) + id + u"\"" + WString(kButtonStart);
}

WString ConvertAnchorParagraph(BodyState& body, LinkTable& links, const PageCursor& cursor, WStringView tag) {
    const WString id = Fb2Attribute(tag, u"id");
    // Other paragraph attributes (a language, a style) leave nothing to point at.
    if (id.empty()) return u"<P>";
    AddAnchor(links, cursor, id);
    body.FlushThreshold = 1;
    return u"<P><CharButton refobj=\"" + WString(kReturnButtonMarkup) + id + u"\"" + WString(kButtonStart) +
           u"</EmpLine></CharButton>";
}

void ApplyLinkSettings(const TReferenceSettings& refs, WString& buffer) {
    if (refs.RefSuperScript) {
        const size_t emp = buffer.rfind(u"<EmpLine");
        const size_t close = buffer.rfind(u"</CharButton");
        if (emp != WString::npos && close != WString::npos && emp < close) {
            buffer.insert(close, u"</Sup>");
            buffer.insert(emp, u"<Sup>");
        }
    }
    StyleLastLink(buffer, refs.RefStyle, refs.RefUnderLine);
}

void ApplyNoteLinkSettings(const TReferenceSettings& references, WString& text) {
    StyleLastLink(text, references.RefNStyle, references.RefNUnderLine);
}

size_t SafeCutPosition(WStringView text, size_t pos) {
    if (pos >= text.size()) return text.size();
    if (pos > 0 && text[pos - 1] >= 0xD800 && text[pos - 1] <= 0xDBFF) --pos;
    // Entities are short ("&thetasym;" is the longest named one); an '&' close
    // before the cut without its ';' means the cut would split the entity.
    constexpr size_t kLongestEntity = 12;
    const size_t from = pos > kLongestEntity ? pos - kLongestEntity : 0;
    const size_t amp = text.substr(from, pos - from).rfind(u'&');
    if (amp != WStringView::npos && text.substr(from + amp, pos - from - amp).find(u';') == WStringView::npos) {
        pos = from + amp;
    }
    return pos;
}

}  // namespace tavorin::fb2
