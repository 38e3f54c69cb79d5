// The block emitter: turns a buffer of paragraph markup into the objects of
// its block kind (a text block with its style, a title, an image, a running
// header text, the title page) and counts body text for the progress line.
#include "fb2/block_emitter.h"

#include <algorithm>

#include "fb2/char_refs.h"
#include "fb2/conversion.h"
#include "fb2/description.h"
#include "fb2/id_labels.h"
#include "fb2/images.h"
#include "fb2/notes.h"
#include "fb2/pages.h"
#include "fb2/progress.h"
#include "fb2/title_page.h"
#include "fb2/whitespace.h"
#include "lrf/store/builders.h"
#include "lrf/store/object_store.h"
#include "settings/conversion_settings.h"

namespace tavorin::fb2 {
namespace {

bool IsRunningText(BlockKind kind) {
    return kind == BlockKind::kHeaderOdd || kind == BlockKind::kFooterOdd || kind == BlockKind::kHeaderEven ||
           kind == BlockKind::kFooterEven;
}

// Text read from the book, as opposed to the pages and running texts the
// converter lays out itself.
bool IsBookText(BlockKind kind) {
    return !IsRunningText(kind) && kind != BlockKind::kImage && kind != BlockKind::kBookTitle;
}

// Body text that the progress line measures.
bool IsCountedText(BlockKind kind) {
    return kind == BlockKind::kBody || kind == BlockKind::kEpigraph || kind == BlockKind::kPoem ||
           kind == BlockKind::kNote || kind == BlockKind::kAnnotation || kind == BlockKind::kCite;
}

// Whitespace, a lone paragraph mark or a lone line break makes no block.
bool HasContent(WStringView text) {
    if (text.size() >= 10) return true;
    if (text.find_first_not_of(u" \r\n") == WStringView::npos) return false;
    const WString trimmed = Trim(text);
    return trimmed != u"<CR/>" && trimmed != u"<P>" && trimmed != u"</P>";
}

// A line break of the FB2 source between two words (or a word and an inline
// tag) separates them, as any XML whitespace does; at a paragraph start or
// end, or between two tags, it separates nothing.
bool SeparatesWords(WStringView before, WStringView after) {
    const char16_t previous = before.back();
    const char16_t next = after.front();
    if (previous <= u' ' || next <= u' ' || (previous == u'>' && next == u'<')) return false;
    return !EndsWith(before, u"<P>") && !EndsWith(before, u"<CR/>") && !StartsWith(after, u"</P>") &&
           !StartsWith(after, u"<CR/>");
}

// Drops CR and LF; a run of them that separates two words becomes one blank.
void RemoveLineBreaks(WString& text) {
    const auto isBreak = [](char16_t c) { return c == u'\r' || c == u'\n'; };
    size_t kept = 0;
    for (size_t at = 0; at < text.size();) {
        if (!isBreak(text[at])) {
            text[kept++] = text[at++];
            continue;
        }
        size_t end = at;
        while (end < text.size() && isBreak(text[end])) ++end;
        // The run is at least one character long, so the blank fits in its place.
        if (kept > 0 && end < text.size() &&
            SeparatesWords(WStringView(text).substr(0, kept), WStringView(text).substr(end))) {
            text[kept++] = u' ';
        }
        at = end;
    }
    text.resize(kept);
}

void WrapIn(WString& text, WStringView open, WStringView close) {
    // A final line break stays outside the emphasis.
    text.insert(EndsWith(text, u"<CR/>") ? text.size() - 5 : text.size(), close);
    text.insert(0, open);
}

void EmitTextBlock(Conversion& cv, StyleKind styleKind, WString text, WStringView id, bool wrapParagraph) {
    PageCursor& cursor = cv.cursor;
    const lrf::TextBlockLabels labels = TextBlockLabels(cv.settings, cursor, styleKind, id);
    EmitBlockSpace(cv.store, cv.styles, styleKind);
    WrapStyleEmphasis(cv.settings, styleKind, text);
    if (wrapParagraph) text = u"<P>" + text + u"</P>";
    BuildCountedTextBlock(cursor, cv.store, labels, text);
    TextBlockEmitted(cv.links, cv.store, labels.objid, cursor.PageCounter - 1);
    // Links read later still find the element that carries the id.
    if (!id.empty()) NoteTargetEmitted(cv.links, id, labels.objid, cursor.PageCounter - 1);
}

// The text of a block as it is emitted: the book's whitespace collapsed, then
// references decoded, so that a blank written as a reference stays; trimmed.
// False when nothing is left to show.
bool PrepareBlockText(BlockKind kind, WString& text) {
    if (IsBookText(kind)) CollapseMarkupWhitespace(text);
    DecodeCharRefs(text);
    if (!HasContent(text)) return false;
    text = Trim(text);
    return !text.empty();
}

}  // namespace

// Header and footer blocks: the style of the kind, a numbered objid, the text
// as prepared by the running header code. They belong to the header or
// footer that shows them, not to the page.
void EmitRunningTextBlock(PageCursor& cursor, lrf::ObjectStore& store, const ConversionSettings& settings,
                          BlockKind kind, WString text) {
    if (!PrepareBlockText(kind, text)) return;
    BuildCountedTextBlock(cursor, store, TextBlockLabels(settings, cursor, StyleOfBlock(kind), {}), text,
                          lrf::BlockFlow::kFree);
}

lrf::TextBlockLabels TextBlockLabels(const ConversionSettings& settings, const PageCursor& cursor, StyleKind styleKind,
                                     WStringView id) {
    const std::string& label = Style(settings, styleKind).Label;
    return {"ts_" + label, "bs_" + label, id.empty() ? "b" + std::to_string(cursor.BlockCounter) : BlockLabelOfId(id)};
}

void BuildCountedTextBlock(PageCursor& cursor, lrf::ObjectStore& store, const lrf::TextBlockLabels& labels,
                           WStringView text, lrf::BlockFlow flow) {
    lrf::BuildTextBlock(store, labels, text, flow);
    ++cursor.BlockCounter;
}

void EmitBlockSpace(lrf::ObjectStore& store, const StyleValues& styles, StyleKind styleKind) {
    EmitBlockSpace(store, styles.SideMargin[static_cast<size_t>(styleKind)], -1);
}

void EmitBlockSpace(lrf::ObjectStore& store, int xSpace, int ySpace) { lrf::BuildBlockSpace(store, xSpace, ySpace); }

void WrapStyleEmphasis(const ConversionSettings& settings, StyleKind styleKind, WString& text) {
    RemoveLineBreaks(text);
    const TStyleSettings& style = Style(settings, styleKind);
    // An italic start at the very beginning would repeat the style's own
    // italics; in a style without them it stays.
    if (styleKind != StyleKind::kBody && style.IsItalic > 0) {
        const size_t open = text.find(u"<Italic>");
        if (open < 9) {
            text.erase(open, 8);
            const size_t close = text.find(u"</Italic>");
            if (close != WString::npos) text.erase(close, 9);
        }
    }
    if (style.IsBold > 0) WrapIn(text, u"<Bold>", u"</Bold>");
    if (style.IsItalic > 0) WrapIn(text, u"<Italic>", u"</Italic>");
}

void EmitStandardBlock(Conversion& cv, StyleKind styleKind, WString text, WStringView id) {
    EmitTextBlock(cv, styleKind, std::move(text), id, false);
}

void EmitBlock(Conversion& cv, BlockKind kind, WString text) {
    // An image block shows an image, not a text: EmitImage emits it.
    if (kind == BlockKind::kNone || kind == BlockKind::kImage) return;
    // Running headers and footers are made while a body element's id waits
    // for its first block; they neither use nor consume it.
    if (IsRunningText(kind)) {
        EmitRunningTextBlock(cv.cursor, cv.store, cv.settings, kind, std::move(text));
        return;
    }
    // The book title page is content of its own: it has no text to prepare
    // (and takes none).
    if (kind != BlockKind::kBookTitle && !PrepareBlockText(kind, text)) return;
    if (IsCountedText(kind)) CountBodyText(cv.progress, cv.console, text.size());

    // A title decides itself where its id goes.
    if (kind == BlockKind::kTitle) {
        EmitTitleBlock(cv, std::move(text));
        return;
    }

    ContinueFullPage(cv.cursor, cv.store);
    if (!cv.body.PendingId.empty()) {
        ResolvePendingTarget(cv.store, cv.links, cv.cursor, cv.settings.References, cv.body.PendingId, text);
    }
    if (cv.cursor.InNotesBody && kind == BlockKind::kBody) kind = BlockKind::kNote;
    switch (kind) {
        case BlockKind::kBody:
        case BlockKind::kEpigraph:
        case BlockKind::kPoem:
        case BlockKind::kNote:
            EmitStandardBlock(cv, StyleOfBlock(kind), std::move(text), cv.body.PendingId);
            break;
        case BlockKind::kSubtitle:
            EmitTextBlock(cv, cv.cursor.InMainBody ? StyleOfBlock(kind) : StyleKind::kNote, std::move(text),
                          cv.body.PendingId, true);
            break;
        case BlockKind::kPoemTitle:
            EmitStandardBlock(cv, cv.cursor.InMainBody ? StyleOfBlock(kind) : StyleKind::kNote, std::move(text),
                              cv.body.PendingId);
            break;
        case BlockKind::kAnnotation:
            EmitStandardBlock(cv, StyleOfBlock(kind), std::move(text), {});
            StartPage(cv.cursor, cv.store, cv.settings);
            break;
        case BlockKind::kCite:
            // A link to the cite's id lands on it.
            EmitStandardBlock(cv, StyleOfBlock(kind), std::move(text), cv.body.PendingId);
            break;
        case BlockKind::kBookTitle:
            EmitBookTitlePage(cv);
            break;
        default:  // titles, running texts, images and kNone are done above
            break;
    }
    cv.body.PendingId.clear();
}

void EmitImage(Conversion& cv, WStringView imageRef) {
    ContinueFullPage(cv.cursor, cv.store);
    if (!cv.body.PendingId.empty()) {
        WString noText;
        ResolvePendingTarget(cv.store, cv.links, cv.cursor, cv.settings.References, cv.body.PendingId, noText);
    }
    EmitImageBlock(cv, imageRef);  // keeps the id when no image is placed
}

}  // namespace tavorin::fb2
