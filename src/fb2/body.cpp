// The element loop of the body conversion: walks an FB2 element tag by tag,
// collects its text operations in a buffer and hands the buffer to the block
// emitter whenever a structural element starts or the element ends.
#include "fb2/body.h"

#include <algorithm>
#include <array>
#include <utility>

#include "fb2/block_emitter.h"
#include "fb2/char_refs.h"
#include "fb2/conversion.h"
#include "fb2/element_buffer.h"
#include "fb2/fb2_tag.h"
#include "fb2/images.h"
#include "fb2/inline_markup.h"
#include "fb2/notes.h"
#include "lrf/store/builders.h"
#include "settings/conversion_settings.h"
#include "text/rounding.h"
#include "text/unicode_reader.h"

namespace tavorin::fb2 {
namespace {

// Structural elements nested deeper than this are read as part of the
// element at this depth, so that no book can exhaust the stack; their text
// stays. Books nest a few levels.
constexpr int kMaxNesting = 64;
// A table cell after the first of its row.
constexpr std::u16string_view kCellSeparator = u" | ";
// The weight of a line's indentation in the measure, besides its digits.
constexpr size_t kSpaceWeight = 17;

TextContent CellSeparator() {
    TextContent separator;
    separator.Text(kCellSeparator);
    return separator;
}

const CharSet& TagStart() {
    static const CharSet set = MakeCharSet("<");
    return set;
}


struct ElementKindRow {
    std::u16string_view name;
    BlockKind kind;
};

// The block kind of an element's buffer, by the element's name.
constexpr std::array<ElementKindRow, 8> kElementKinds{{
    {u"subtitle", BlockKind::kSubtitle},
    {u"section", BlockKind::kBody},
    {u"body", BlockKind::kBody},
    {u"title", BlockKind::kTitle},
    {u"epigraph", BlockKind::kEpigraph},
    {u"poem", BlockKind::kPoem},
    {u"image", BlockKind::kImage},
    {u"cite", BlockKind::kCite},
}};

BlockKind BlockKindOf(WStringView name) {
    for (const ElementKindRow& row : kElementKinds) {
        if (row.name == name) return row.kind;
    }
    return BlockKind::kNone;
}

void ConvertElementAs(Conversion& cv, WStringView name, BlockKind kind);

// A nested element: converted by a loop of its own. The title of a poem or
// of one of its stanzas is shown as the poem's title, not as a chapter.
void ConvertNested(Conversion& cv, const WString& tag, WStringView name, BlockKind parentKind) {
    // "<title/>" and the like have neither content nor a closing tag.
    if (EndsWith(tag, u"/>")) return;
    const BlockKind kind = BlockKindOf(name);
    ++cv.body.NestedElements;
    const bool poemTitle = kind == BlockKind::kTitle && parentKind == BlockKind::kPoem;
    ConvertElementAs(cv, name, poemTitle ? BlockKind::kPoemTitle : kind);
    --cv.body.NestedElements;
}

void PlaceImageElement(Conversion& cv, const WString& tag, WStringView, BlockKind) { PlaceImage(cv, tag); }

struct BodyElement {
    std::u16string_view name;
    void (*handler)(Conversion& cv, const WString& tag, WStringView name, BlockKind parentKind);
};

// Structural elements: each ends the block before it and starts its own.
constexpr std::array<BodyElement, 7> kBodyElementTable{{
    {u"section", ConvertNested},
    {u"title", ConvertNested},
    {u"epigraph", ConvertNested},
    {u"poem", ConvertNested},
    {u"image", PlaceImageElement},
    {u"subtitle", ConvertNested},
    {u"cite", ConvertNested},
}};

const BodyElement* FindBodyElement(const Fb2Tag& tag) {
    if (tag.form == TagForm::End) return nullptr;
    for (const BodyElement& row : kBodyElementTable) {
        if (row.name == tag.name) return &row;
    }
    return nullptr;
}

bool TakesTextAuthor(BlockKind kind) {
    return kind == BlockKind::kBody || kind == BlockKind::kEpigraph || kind == BlockKind::kPoem ||
           kind == BlockKind::kCite;
}

// A text-author line (or a poem's date) is a paragraph of its own, indented
// and drawn in the author look of the element's style; its inline elements
// (emphasis, links) go through the loop like those of any paragraph. The look
// replaces the style's own emphasis for the line. Where no author look applies
// (a title) it is a plain paragraph.
void AuthorLineOpen(const ConversionSettings& settings, BlockKind kind, Fragment& out) {
    out.Mark(TextCode::kParagraph);
    if (!TakesTextAuthor(kind)) return;
    const TStyleSettings& style = Style(settings, StyleOfBlock(kind));
    const double size = style.FontSize / 10.0;
    const int64_t indent =
        std::max<int64_t>(0, RoundHalfEven(style.AuthorIdent * size * size * style.WordSpace / 100.0));
    StringSink ignored;
    Console console(ignored);
    const lrf::TagValue space[] = {{lrf::Tag::kXSize, indent}};
    out.content.Attributes(TextCode::kSpace, space, console);
    out.weight += kSpaceWeight + ToWString(indent).size();
    const int bits = std::max(style.AuthorBoldItalic, 0);
    if ((bits & 1) != 0) out.Mark(TextCode::kBold);
    if ((bits & 16) != 0) out.Mark(TextCode::kItalic);
}

// The end of the author look, before the line's paragraph end.
void AuthorLineClose(const ConversionSettings& settings, BlockKind kind, Fragment& out) {
    if (!TakesTextAuthor(kind)) return;
    const int bits = std::max(Style(settings, StyleOfBlock(kind)).AuthorBoldItalic, 0);
    if ((bits & 1) != 0) out.Mark(TextCode::kBoldEnd);
    if ((bits & 16) != 0) out.Mark(TextCode::kItalicEnd);
}

// Cites and epigraphs longer than this are split at a paragraph end all the same.
constexpr size_t kLongWholeElement = 4 * kFlushThreshold;

// Whether a buffer of `size` characters that has just reached a paragraph end
// is emitted there. A long buffer is, and one holding a link or an id (the
// threshold is then 1), so that a jump lands close to its place; but a title
// stays one block, a poem breaks only between its stanzas, and a cite or an
// epigraph keeps its paragraphs together unless it is very long.
bool EndsBlockHere(BlockKind kind, const Fb2Tag& parsed, size_t size, int threshold) {
    switch (kind) {
        case BlockKind::kTitle:
        case BlockKind::kPoemTitle: return false;
        case BlockKind::kPoem:
            return parsed.name == u"stanza" && parsed.form == TagForm::End && size > static_cast<size_t>(threshold);
        case BlockKind::kCite:
        case BlockKind::kEpigraph: return size > kLongWholeElement;
        default: return size > static_cast<size_t>(threshold);
    }
}

// What one loop keeps besides its buffer: the cells of the table row being read.
struct LoopState {
    int cellsInRow = 0;
    WString authorLine;  // "text-author" or "date" while one is open
    bool authorParagraph = false;  // a paragraph of the open author line has started
};

// The operations of one tag of the element's content.
struct TagOperations {
    Fragment fragment;
    bool handled = true;
    bool opensButton = false;  // a link that became a button
    bool closesLink = false;   // "</a>"
    bool endsElement = false;  // blanks up to the next tag are dropped
    Fragment lead;             // emphasis ends that go before `fragment` (around an author line)

    void clear() {
        fragment.clear();
        lead.clear();
        handled = true;
        opensButton = closesLink = endsElement = false;
    }
};

// An image in a paragraph, a verse line, a table row, a subtitle or a title
// stands in its line; one between paragraphs is a block of its own.
bool ImageInLine(const ElementBuffer& buffer, BlockKind kind) {
    return kind == BlockKind::kTitle || kind == BlockKind::kPoemTitle || InsideParagraph(buffer);
}

void RewriteTag(Conversion& cv, const WString& tag, const Fb2Tag& parsed, BlockKind kind, LoopState& loop,
                const ElementBuffer& buffer, TagOperations& out) {
    out.clear();
    Fragment& fragment = out.fragment;
    const bool opens = parsed.form != TagForm::End;
    if (parsed.name == u"image" && opens && ImageInLine(buffer, kind)) {
        InlineImage(cv.images, cv.store, cv.settings, tag, fragment);
    } else if (parsed.name == u"p" && !loop.authorLine.empty()) {
        // An author line is one paragraph: paragraphs written inside it are its lines.
        if (parsed.form == TagForm::Start && std::exchange(loop.authorParagraph, true)) {
            fragment.Mark(TextCode::kLineBreak);
        }
    } else if (parsed.name == u"a" && opens) {
        ConvertLink(cv.body, cv.links, cv.store, tag, fragment);
        out.opensButton = !cv.body.ExternalLinkOpen;
    } else if (parsed.name == u"p" && opens && parsed.hasAttributes) {
        ConvertAnchorParagraph(cv.body, cv.links, cv.cursor, cv.store, tag, fragment);
    } else if ((parsed.name == u"text-author" || parsed.name == u"date") && parsed.form == TagForm::Start &&
               loop.authorLine.empty()) {
        out.lead.Mark(TextCode::kItalicEnd);
        out.lead.Mark(TextCode::kBoldEnd);
        AuthorLineOpen(cv.settings, kind, fragment);
        loop.authorLine = parsed.name;
        loop.authorParagraph = false;
    } else if (parsed.form == TagForm::End && !loop.authorLine.empty() && parsed.name == loop.authorLine) {
        AuthorLineClose(cv.settings, kind, out.lead);
        fragment.Mark(TextCode::kParagraphEnd);
        fragment.Mark(TextCode::kLineBreak);
        out.endsElement = true;
        loop.authorLine.clear();
    } else if (parsed.name == u"style" && opens) {
        // The style's text stays; the tag itself has no operations.
    } else if (const InlineMarkup* row = FindInlineMarkup(parsed)) {
        AppendInlineMarkup(*row, fragment);
        out.closesLink = parsed.name == u"a";
        out.endsElement = row->endsElement;
        if (parsed.name == u"tr" && opens) loop.cellsInRow = 0;
        if ((parsed.name == u"td" || parsed.name == u"th") && opens && loop.cellsInRow++ > 0) {
            InsertContent(fragment.content, 0, CellSeparator());
            fragment.weight += kCellSeparator.size();
        }
    } else {
        out.handled = false;
    }
}

// Comments and processing instructions are not text; the text of a CDATA
// section is, with its markup characters escaped. ReadTag stopped at the
// first '>', which may lie inside them: the rest is read up to their end.
bool SkipsAsNonElement(TUnicodeFileReader& reader, WString& tag, ElementBuffer& buffer) {
    if (StartsWith(tag, u"<!--")) {
        if (tag.size() < 7 || !EndsWith(tag, u"-->")) reader.ReadToStr("-->", true, true);
        return true;
    }
    if (StartsWith(tag, u"<![CDATA[")) {
        if (!EndsWith(tag, u"]]>")) tag += reader.ReadToStr("]]>", true, true) + u"]]>";
        WString text;
        for (const char16_t c : WStringView(tag).substr(9, tag.size() - 12)) AppendTextCharacter(text, c);
        AppendRawText(buffer, text);
        return true;
    }
    return StartsWith(tag, u"<?");
}

// An element with an id that starts no block of its own is still a link
// target: the block that holds it.
void AddElementAnchor(BodyState& body, LinkTable& links, const PageCursor& cursor, const lrf::ObjectStore& store,
                      const WString& tag, const Fb2Tag& parsed) {
    if (parsed.form == TagForm::End || !parsed.hasAttributes || parsed.name == u"p" || parsed.name == u"a") return;
    const WString id = Fb2Attribute(tag, u"id");
    if (id.empty()) return;
    AddAnchor(links, cursor, store, id);
    body.FlushThreshold = 1;
}

// A structural element with an id names its first block. An id still waiting
// for its block lands on that same block.
void TakePendingId(LinkTable& links, const PageCursor& cursor, const lrf::ObjectStore& store, const WString& tag) {
    // Kept whole, as links name it whole.
    WString id = Fb2Attribute(tag, u"id");
    if (!id.empty()) AwaitFirstBlock(links, cursor, store, std::move(id));
}

void ConvertElementAs(Conversion& cv, WStringView name, BlockKind kind) {
    const bool isSection = name == u"section";
    if (isSection) ++cv.cursor.SectionDepth;
    const WString loopName(name);
    TUnicodeFileReader& reader = *cv.reader;
    ElementBuffer buffer;
    if (!cv.cursor.InNotesBody) buffer.linkLook = &cv.settings.References;
    // A subtitle's text is its one paragraph.
    buffer.holdsParagraphs = kind != BlockKind::kSubtitle;
    LoopState loop;
    TagOperations markup;
    WString next;
    int flattened = 0;  // elements of this loop's name open beyond the deepest level
    for (;;) {
        AppendText(buffer, reader.ReadToCharSet(TagStart(), false));
        // The end of the input ends every open element; their buffers are lost.
        if (!ReadTag(reader, next)) return;
        if (SkipsAsNonElement(reader, next, buffer)) continue;
        // Line breaks and tabs inside a tag separate its name and attributes like blanks.
        BlanksForTabsAndLineBreaks(next);

        const Fb2Tag parsed = ParseFb2Tag(next);
        RewriteTag(cv, next, parsed, kind, loop, buffer, markup);
        bool closes = parsed.form == TagForm::End && parsed.name == loopName;
        if (closes && flattened > 0) {
            --flattened;
            closes = false;
        }
        const BodyElement* element = markup.handled ? nullptr : FindBodyElement(parsed);
        if (element != nullptr) {
            EmitBlock(cv, kind, TakeBlockContent(buffer));
            TakePendingId(cv.links, cv.cursor, cv.store, next);
            if (element->handler != ConvertNested || cv.body.NestedElements < kMaxNesting) {
                element->handler(cv, next, parsed.name, kind);
            } else if (parsed.name == loopName && parsed.form == TagForm::Start) {
                ++flattened;
            }
        } else if (!closes) {
            AddElementAnchor(cv.body, cv.links, cv.cursor, cv.store, next, parsed);
            // An element without markup of its own keeps its text; only the tag goes.
            if (!markup.lead.content.empty()) AppendFragment(buffer, markup.lead, false, false);
            if (markup.handled) AppendFragment(buffer, markup.fragment, markup.opensButton, markup.closesLink);
            // Blanks between elements separate nothing; any other text stays.
            if (markup.endsElement) {
                const WString between = reader.ReadToCharSet(TagStart(), false);
                if (!IsBlank(between)) AppendText(buffer, between);
            }
        }

        if (markup.handled && HasCode(markup.fragment.content, TextCode::kLineBreak) &&
            EndsBlockHere(kind, parsed, buffer.measure, cv.body.FlushThreshold)) {
            EmitBlock(cv, kind, TakeBlockContent(buffer));
            cv.body.FlushThreshold = kFlushThreshold;
        }
        if (closes) {
            EmitBlock(cv, kind, TakeBlockContent(buffer));
            if (isSection) --cv.cursor.SectionDepth;
            return;
        }
    }
}

}  // namespace

void BlanksForTabsAndLineBreaks(WString& text) {
    for (char16_t& c : text) {
        if (c == u'\r' || c == u'\n' || c == u'\t') c = u' ';
    }
}

void ConvertElement(Conversion& cv, const WString& tag) {
    const Fb2Tag parsed = ParseFb2Tag(tag);
    ConvertElementAs(cv, parsed.name, BlockKindOf(parsed.name));
}

void ConvertBody(Conversion& cv, const WString& tag) {
    // Notes and commentary are reached by links: note style, no contents
    // entries. Their bodies are named so ("notes", "footnotes", "comments").
    const WString name = Fb2Attribute(tag, u"name");
    if (Contains(name, u"notes") || Contains(name, u"comments")) {
        StartNotesBody(cv.cursor, cv.store, cv.styles);
    }
    ConvertElement(cv, tag);
}

}  // namespace tavorin::fb2
