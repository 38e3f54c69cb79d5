// The element loop of the body conversion: walks an FB2 element tag by tag,
// collects its paragraph markup in a buffer and hands the buffer to the block
// emitter whenever a structural element starts or the element ends.
#include "fb2/body.h"

#include <algorithm>
#include <array>

#include "app/run_state.h"
#include "fb2/conversion_state.h"
#include "fb2/element_buffer.h"
#include "fb2/images.h"
#include "fb2/inline_markup.h"
#include "lrf/store/builders.h"
#include "settings/conversion_settings.h"
#include "text/unicode_reader.h"

namespace tavorin::fb2 {
namespace {

constexpr size_t kMaxPendingId = 50;

const CharSet& TagStart() {
    static const CharSet set = MakeCharSet("<");
    return set;
}

// The value of an attribute of an FB2 tag, at most `max` characters.
WString CutAttribute(WStringView name, WStringView tag, size_t max) {
    WString value = Widen(lrf::GetAttribute(name, tag));
    value.resize(SafeCutPosition(value, max));
    return value;
}

struct ClosingKind {
    std::u16string_view closing;
    int kind;
};

// The block kind of an element's buffer, by the element's closing tag.
constexpr std::array<ClosingKind, 8> kClosingKinds{{
    {u"</subtitle>", kBlockSubtitle},
    {u"</section>", kBlockBody},
    {u"</body>", kBlockBody},
    {u"</title>", kBlockTitle},
    {u"</epigraph>", kBlockEpigraph},
    {u"</poem>", kBlockPoem},
    {u"</image>", kBlockImage},
    {u"</cite>", kBlockCite},
}};

int BlockKindOf(WStringView closing) {
    for (const ClosingKind& row : kClosingKinds) {
        if (row.closing == closing) return row.kind;
    }
    return kBlockNone;
}

void ConvertNested(const WString& tag) {
    // "<title/>" and the like have neither content nor a closing tag.
    if (EndsWith(tag, u"/>")) return;
    ConvertElement(0, tag);
}

void PlaceImageElement(const WString& tag) { PlaceImage(tag); }

// A section with attributes opens no nesting level; its id names its first block.
void TakeSectionId(const WString& tag) { g_conv.PendingId = CutAttribute(u"id", tag, kMaxPendingId); }

struct BodyElement {
    std::u16string_view prefix;
    void (*handler)(const WString& tag);
};

// Structural elements; the first row whose prefix occurs in the tag wins.
constexpr std::array<BodyElement, 8> kBodyElementTable{{
    {u"<section>", ConvertNested},
    {u"<title", ConvertNested},
    {u"<epigraph", ConvertNested},
    {u"<poem", ConvertNested},
    {u"<image ", PlaceImageElement},
    {u"<subtitle", ConvertNested},
    {u"<section ", TakeSectionId},
    {u"<cite", ConvertNested},
}};

int FindBodyElement(WStringView tag) {
    for (size_t i = 0; i < kBodyElementTable.size(); ++i) {
        if (Contains(tag, kBodyElementTable[i].prefix)) return static_cast<int>(i);
    }
    return -1;
}

bool TakesTextAuthor(int kind) {
    return kind == kBlockBody || kind == kBlockEpigraph || kind == kBlockPoem || kind == kBlockCite;
}

// Converts the first link tag inside a produced text in place; returns
// whether it opened a button.
bool ConvertLinkInside(WString& text) {
    const size_t open = text.find(u"<a ");
    if (open == WString::npos) return false;
    const size_t close = text.find(u'>', open);
    const size_t end = close == WString::npos ? text.size() : close + 1;
    text.replace(open, end - open, ConvertLink(WStringView(text).substr(open, end - open)));
    return !g_conv.ExternalLinkOpen;
}

// A text-author line: its own indented paragraph in the author look of the
// element's style. Its text is read here, up to the next closing tag.
WString TextAuthorMarkup(int kind, bool& opensButton) {
    WString author = g_reader->ReadToStr("</", true, false);
    lrf::StripMarkup(author);
    if (!TakesTextAuthor(kind)) return {};
    const TStyleSettings& style = g_settings.StyleTable[kind];
    const double size = style.FontSize / 10.0;
    const int64_t indent = std::max<int64_t>(0, RoundHalfEven(style.AuthorIdent * size * size * style.WordSpace / 100.0));
    const int look = std::max(style.AuthorBoldItalic, 0);
    const bool bold = (look & 1) != 0;
    const bool italic = (look & 16) != 0;

    WString markup = u"</Italic></Bold><P><Space xsize=\"" + ToWString(indent) + u"\"/>";
    if (bold) markup += u"<Bold>";
    if (italic) markup += u"<Italic>";
    markup += author;
    if (bold) markup += u"</Bold>";
    if (italic) markup += u"</Italic>";
    markup += u"</P>";
    opensButton = ConvertLinkInside(markup);
    return markup;
}

// The markup of one tag of the element's content.
struct TagMarkup {
    WString text;
    bool handled = true;
    bool opensButton = false;  // a link that became a button
    bool closesLink = false;   // "</a>"
};

TagMarkup RewriteTag(const WString& tag, int kind) {
    TagMarkup out;
    if (Contains(tag, u"<a ")) {
        out.text = ConvertLink(tag);
        out.opensButton = !g_conv.ExternalLinkOpen;
    } else if (Contains(tag, u"<p ")) {
        out.text = ConvertAnchorParagraph(tag);
    } else if (Contains(tag, u"<text-author>")) {
        out.text = TextAuthorMarkup(kind, out.opensButton);
    } else if (Contains(tag, u"<style")) {
        // The style's text stays; the tag itself has no markup.
    } else {
        out.text = tag;
        int row = -1;
        out.handled = ReplaceTag(out.text, row);
        out.closesLink = row == kReplaceCloseLink && tag == u"</a>";
        if (ReplacementEndsElement(row)) g_reader->SkipToCharSet(TagStart(), false);
    }
    return out;
}

}  // namespace

WString ClosingTagOf(WStringView tag) {
    WString closing = u"</" + WString(tag.substr(std::min<size_t>(1, tag.size())));
    const size_t blank = closing.find_first_of(u" \t\r\n");
    if (blank != WString::npos) closing.replace(blank, WString::npos, u">");
    return closing;
}

void BlanksForTabsAndLineBreaks(WString& text) {
    for (char16_t& c : text) {
        if (c == u'\r' || c == u'\n' || c == u'\t') c = u' ';
    }
}

void ConvertElement(int, const WString& tag) {
    if (tag == u"<section>") ++g_conv.SectionDepth;
    const WString closing = ClosingTagOf(tag);
    const int kind = BlockKindOf(closing);
    TUnicodeFileReader& reader = *g_reader;
    ElementBuffer buffer;
    WString next;
    for (;;) {
        buffer.text += reader.ReadToCharSet(TagStart(), false);
        // The end of the input ends every open element; their buffers are lost.
        if (!ReadTag(reader, next)) return;
        // Line breaks and tabs inside a tag separate its name and attributes like blanks.
        BlanksForTabsAndLineBreaks(next);

        const TagMarkup markup = RewriteTag(next, kind);
        const bool closes = Contains(next, closing);
        const int element = markup.handled ? -1 : FindBodyElement(next);
        if (element >= 0) {
            EmitBuffer(kind, buffer);
            if (Contains(next, u"id=\"")) g_conv.PendingId = CutAttribute(u"id", next, kMaxPendingId);
            kBodyElementTable[element].handler(next);
        } else if (markup.handled && !closes) {
            AppendMarkup(buffer, markup.text, markup.opensButton, markup.closesLink);
        } else if (!markup.handled && !closes && !Contains(next, u"/")) {
            // An unknown element: its text up to its first closing tag is dropped.
            reader.ReadToStr("</", true, false);
        }

        if (markup.handled && static_cast<int64_t>(buffer.text.size()) > g_conv.FlushThreshold &&
            Contains(markup.text, u"<CR/>")) {
            EmitBuffer(kind, buffer);
            g_conv.FlushThreshold = kFlushThreshold;
        }
        if (closes) {
            EmitBuffer(kind, buffer);
            if (closing == u"</section>") --g_conv.SectionDepth;
            return;
        }
    }
}

}  // namespace tavorin::fb2
