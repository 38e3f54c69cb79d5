// Paragraph and inline markup: the FB2 inline tags become layout markup
// through a fixed replacement table; links become pairs of buttons, paragraphs
// with an id become anchors, and reference links take the look chosen in the
// reference settings.
#include "fb2/inline_markup.h"

#include <array>

#include "fb2/conversion_state.h"
#include "fb2/notes.h"
#include "lrf/store/builders.h"
#include "settings/conversion_settings.h"

namespace tavorin::fb2 {
namespace {

struct Replacement {
    std::u16string_view pattern;
    std::u16string_view markup;
    bool endsElement;  // the text that follows, up to the next tag, is whitespace
};

// Tried in this order; the first pattern found wins.
constexpr std::array<Replacement, 19> kReplacementTable{{
    {u"<p>", u"<P>", false},
    {u"</p>", u"</P><CR/>", true},
    {u"<p/>", u"<P/><CR/>", true},
    {u"<empty-line/>", u"<CR/>", true},
    {u"<emphasis>", u"<Italic>", false},
    {u"</emphasis>", u"</Italic>", false},
    {u"<strong>", u"<Bold>", false},
    {u"</strong>", u"</Bold>", false},
    {u"</text-author>", u"", false},
    {u"<stanza>", u"<CR/>", true},
    {u"</stanza>", u"<CR/>", true},
    {u"<v>", u"<P>", false},
    {u"</v>", u"</P><CR/>", true},
    {u"<sup>", u"<Sup>", false},
    {u"</sup>", u"</Sup>", false},
    {u"<sub>", u"<Sub>", false},
    {u"</sub>", u"</Sub>", false},
    {u"</a>", kLinkClose, false},
    // Never reached in the body, where "<p " is an anchor paragraph; serves annotations.
    {u"<p ", u"<P>", false},
}};
static_assert(kReplacementTable[kReplaceCloseLink].pattern == u"</a>");

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
    for (size_t i = 0; i < kReplacementTable.size(); ++i) {
        if (i == static_cast<size_t>(kReplaceCloseLink)) continue;
        const Replacement& row = kReplacementTable[i];
        // Deleting a pattern can join its neighbours into a new occurrence.
        while (Contains(text, row.pattern)) ReplaceAll(text, row.pattern, row.markup);
    }
    text = Trim(text);
}

bool ReplaceTag(WString& tag, int& row) {
    for (size_t i = 0; i < kReplacementTable.size(); ++i) {
        if (Contains(tag, kReplacementTable[i].pattern)) {
            tag = kReplacementTable[i].markup;
            row = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

bool ReplacementEndsElement(int row) {
    return row >= 0 && row < static_cast<int>(kReplacementTable.size()) && kReplacementTable[row].endsElement;
}

WString ConvertLink(WStringView tag) {
    const WString href = Widen(lrf::GetAttribute(u"href", tag));
    // A link without a button (an address, or no href at all) drops its "</a>".
    g_conv.ExternalLinkOpen = IsExternalAddress(href) || href.empty();
    if (g_conv.ExternalLinkOpen) return href.empty() ? WString() : u"(<Italic>" + href + u"</Italic>) ";

    const WString id = StartsWith(href, u"#") ? href.substr(1) : href;
    RegisterButton(u" objid=\"bf_" + id + u"\"");
    RegisterButton(u" objid=\"br_" + id + u"\" refpage=\"p" + ToWString(g_conv.PageCounter) + u"\" refobj=\"b" +
                   ToWString(g_conv.BlockCounter + 1) + u"\"");
    // The way back leads to the block that holds the link, once it is emitted.
    g_conv.ReturnButtonsAwaitingBlock.push_back(lrf::g_store.buttons.size() - 1);
    // The block holding the link ends at the next paragraph end.
    g_conv.FlushThreshold = 1;
    return u"<CharButton refobj=\"bf_" + id + u"\"" + WString(kButtonStart);
}

WString ConvertAnchorParagraph(WStringView tag) {
    const WString id = Widen(lrf::GetAttribute(u"id", tag));
    // Other paragraph attributes (a language, a style) leave nothing to point at.
    if (id.empty()) return u"<P>";
    AddAnchor(id, g_conv.PageCounter - 1, g_conv.BlockCounter);
    g_conv.FlushThreshold = 1;
    return u"<P><CharButton refobj=\"br_" + id + u"\"" + WString(kButtonStart) + u"</EmpLine></CharButton>";
}

void ApplyLinkSettings(WString& buffer) {
    const TReferenceSettings& refs = g_settings.References;
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

void ApplyNoteLinkSettings(WString& text) {
    StyleLastLink(text, g_settings.References.RefNStyle, g_settings.References.RefNUnderLine);
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
