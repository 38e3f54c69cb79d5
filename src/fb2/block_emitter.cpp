// The block emitter: turns a block's content into the objects of
// its block kind (a text block with its style, a title, an image, a running
// header text, the title page) and counts body text for the progress line.
#include "fb2/block_emitter.h"

#include <algorithm>

#include "fb2/block_content.h"

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

bool IsLineMark(TextCode code) { return code == TextCode::kParagraph || code == TextCode::kLineBreak; }

// Drops CR and LF; a run of them that separates two words (or a word and an
// inline mark) becomes one blank. At a paragraph start or end, or between two
// marks, it separates nothing.
void RemoveLineBreaks(TextContent& content) {
    const auto isBreak = [](char16_t c) { return c == u'\r' || c == u'\n'; };
    auto& ops = content.ops;
    for (size_t k = 0; k < ops.size(); ++k) {
        TextOperation& op = ops[k];
        if (op.code != TextCode::kText) continue;
        const WStringView text = TextOf(content, op);
        if (std::none_of(text.begin(), text.end(), isBreak)) continue;
        WString kept;
        for (size_t at = 0; at < text.size();) {
            if (!isBreak(text[at])) {
                kept += text[at++];
                continue;
            }
            size_t end = at;
            while (end < text.size() && isBreak(text[end])) ++end;
            // What stands before and after the run: a character, a mark or nothing.
            const bool markBefore = kept.empty() && k > 0, markAfter = end == text.size() && k + 1 < ops.size();
            const bool before = !kept.empty() ? kept.back() > u' ' : markBefore && !IsLineMark(ops[k - 1].code);
            const bool after = end < text.size()
                                   ? text[end] > u' '
                                   : markAfter && ops[k + 1].code != TextCode::kParagraphEnd &&
                                         ops[k + 1].code != TextCode::kLineBreak;
            if (before && after && !(markBefore && markAfter)) kept += u' ';
            at = end;
        }
        op.start = content.characters.size();
        content.characters += kept;
        op.end = content.characters.size();
    }
}

void WrapIn(TextContent& content, TextCode open, TextCode close) {
    // A final line break stays outside the emphasis.
    const bool finalBreak = !content.ops.empty() && content.ops.back().code == TextCode::kLineBreak;
    InsertMarks(content, finalBreak ? content.ops.size() - 1 : content.ops.size(), {close});
    InsertMarks(content, 0, {open});
}

uint32_t EmitTextBlock(Conversion& cv, StyleKind styleKind, TextContent content, WStringView id,
                       bool wrapParagraph) {
    EmitBlockSpace(cv.store, cv.styles, styleKind);
    WrapStyleEmphasis(cv.settings, styleKind, content);
    if (wrapParagraph) {
        InsertMarks(content, 0, {TextCode::kParagraph});
        content.Mark(TextCode::kParagraphEnd);
    }
    const uint32_t block = lrf::BuildTextBlock(cv.store, TextBlockStyles(cv.styles, styleKind), content);
    BlockBuilt(cv.links, block, id);
    const int page = cv.cursor.PageCounter - 1;
    TextBlockEmitted(cv.links, id.empty() ? block : FirstBlockOfId(cv.links, id), page);
    // Links read later still find the element that carries the id.
    if (!id.empty()) NoteTargetEmitted(cv.links, id, page);
    return block;
}

// The content of a block as it is emitted: the book's whitespace collapsed,
// then references and entities decoded, so that a blank written as a
// reference stays; trimmed. False when nothing is left to show.
bool PrepareBlockContent(BlockKind kind, TextContent& content) {
    if (IsBookText(kind)) CollapseContentWhitespace(content);
    DecodeContentText(content);
    if (!HasContent(content)) return false;
    TrimContent(content);
    return !content.empty();
}

}  // namespace

// Header and footer blocks: the style of the kind, the content as the
// running header code made it (its text shown as it is). They belong to the
// header or footer that shows them, not to the page.
void EmitRunningTextBlock(lrf::ObjectStore& store, const StyleValues& styles, BlockKind kind, TextContent content) {
    if (!HasContent(content)) return;
    TrimContent(content);
    if (content.empty()) return;
    lrf::BuildTextBlock(store, TextBlockStyles(styles, StyleOfBlock(kind)), content, lrf::BlockFlow::kFree);
}

lrf::TextBlockStyles TextBlockStyles(const StyleValues& styles, StyleKind styleKind) {
    const auto kind = static_cast<size_t>(styleKind);
    return {styles.TextStyle[kind], styles.BlockStyle[kind]};
}

void EmitBlockSpace(lrf::ObjectStore& store, const StyleValues& styles, StyleKind styleKind) {
    EmitBlockSpace(store, styles.SideMargin[static_cast<size_t>(styleKind)], -1);
}

void EmitBlockSpace(lrf::ObjectStore& store, int xSpace, int ySpace) { lrf::BuildBlockSpace(store, xSpace, ySpace); }

void WrapStyleEmphasis(const ConversionSettings& settings, StyleKind styleKind, TextContent& content) {
    RemoveLineBreaks(content);
    const TStyleSettings& style = Style(settings, styleKind);
    // An italic start at the very beginning would repeat the style's own
    // italics; in a style without them it stays.
    if (styleKind != StyleKind::kBody && style.IsItalic > 0) {
        auto& ops = content.ops;
        size_t offset = 0, open = 0;
        while (open < ops.size() && ops[open].code != TextCode::kItalic) offset += OpWeight(ops[open++]);
        constexpr size_t kNearStart = 9;
        if (open < ops.size() && offset < kNearStart) {
            ops.erase(ops.begin() + static_cast<std::ptrdiff_t>(open));
            const auto close = std::find_if(ops.begin(), ops.end(),
                                            [](const TextOperation& op) { return op.code == TextCode::kItalicEnd; });
            if (close != ops.end()) ops.erase(close);
        }
    }
    if (style.IsBold > 0) WrapIn(content, TextCode::kBold, TextCode::kBoldEnd);
    if (style.IsItalic > 0) WrapIn(content, TextCode::kItalic, TextCode::kItalicEnd);
}

uint32_t EmitStandardBlock(Conversion& cv, StyleKind styleKind, TextContent content, WStringView id) {
    return EmitTextBlock(cv, styleKind, std::move(content), id, false);
}

void EmitBlock(Conversion& cv, BlockKind kind, TextContent text) {
    // An image block shows an image, not a text: EmitImage emits it.
    if (kind == BlockKind::kNone || kind == BlockKind::kImage) return;
    // Running headers and footers are made while a body element's id waits
    // for its first block; they neither use nor consume it.
    if (IsRunningText(kind)) {
        DecodeContentText(text);
        EmitRunningTextBlock(cv.store, cv.styles, kind, std::move(text));
        return;
    }
    // The book title page is content of its own: it has no text to prepare
    // (and takes none).
    if (kind != BlockKind::kBookTitle && !PrepareBlockContent(kind, text)) return;
    if (IsCountedText(kind)) CountBodyText(cv.progress, cv.console, ContentWeight(text));

    // A title decides itself where its id goes.
    if (kind == BlockKind::kTitle) {
        EmitTitleBlock(cv, std::move(text));
        return;
    }

    ContinueFullPage(cv.cursor, cv.store);
    const WString& pendingId = cv.links.PendingTarget;
    if (!pendingId.empty()) {
        ResolvePendingTarget(cv.store, cv.links, cv.cursor, cv.settings.References, pendingId, text);
    }
    if (cv.cursor.InNotesBody && kind == BlockKind::kBody) kind = BlockKind::kNote;
    switch (kind) {
        case BlockKind::kBody:
        case BlockKind::kEpigraph:
        case BlockKind::kPoem:
        case BlockKind::kNote:
            EmitStandardBlock(cv, StyleOfBlock(kind), std::move(text), pendingId);
            break;
        case BlockKind::kSubtitle:
            EmitTextBlock(cv, cv.cursor.InMainBody ? StyleOfBlock(kind) : StyleKind::kNote, std::move(text),
                          pendingId, true);
            break;
        case BlockKind::kPoemTitle:
            EmitStandardBlock(cv, cv.cursor.InMainBody ? StyleOfBlock(kind) : StyleKind::kNote, std::move(text),
                              pendingId);
            break;
        case BlockKind::kAnnotation:
            EmitStandardBlock(cv, StyleOfBlock(kind), std::move(text), {});
            StartPage(cv.cursor, cv.store, cv.styles);
            break;
        case BlockKind::kCite:
            // A link to the cite's id lands on it.
            EmitStandardBlock(cv, StyleOfBlock(kind), std::move(text), pendingId);
            break;
        case BlockKind::kBookTitle:
            EmitBookTitlePage(cv);
            break;
        default:  // titles, running texts, images and kNone are done above
            break;
    }
    FirstBlockBuilt(cv.links);
}

void EmitImage(Conversion& cv, WStringView imageRef) {
    ContinueFullPage(cv.cursor, cv.store);
    if (!cv.links.PendingTarget.empty()) {
        TextContent noText;
        ResolvePendingTarget(cv.store, cv.links, cv.cursor, cv.settings.References, cv.links.PendingTarget, noText);
    }
    EmitImageBlock(cv, imageRef);  // keeps the id when no image is placed
}

}  // namespace tavorin::fb2
