// The content of a text block as typed operations: paragraphs, line breaks,
// runs of characters, changes of text attributes, buttons, emphasis lines and
// pictures in the line. The FB2 conversion builds it; the text-stream encoder
// writes the LRF codes straight from it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "lrf/store/byte_buffer.h"
#include "lrf/tags/tag_table.h"
#include "text/console.h"
#include "text/wide.h"

namespace tavorin::lrf {

enum class TextCode : uint8_t {
    kText,            // characters [start, end) of the content's characters
    kParagraph,
    kParagraphEnd,
    kEmptyParagraph,  // a paragraph with nothing in it
    kLineBreak,
    kItalic,
    kItalicEnd,
    kBold,            // doubles the text style's font weight
    kBoldEnd,
    kSup,
    kSupEnd,
    kSub,
    kSubEnd,
    kSpan,            // text attributes, tag bytes [start, end), until kSpanEnd or the paragraph end
    kSpanEnd,
    kSpace,           // tag bytes [start, end) written once: the indentation before a line
    kButton,          // a button's start; `number` is a button reference (ObjectStore::buttonRefs)
    kButtonEnd,
    kEmpLine,         // an emphasis line, tag bytes [start, end); `number` 1: a line of type none
    kEmpLineEnd,
    kPlot,            // a picture in the line: image object `number`, width `start`, height `end`
};

// Sixteen bytes: a large book holds a few operations per paragraph. Offsets
// are 32-bit, as no book's text reaches 4G UTF-16 units (the file would be
// refused as too large long before).
struct TextOperation {
    TextCode code = TextCode::kText;
    uint32_t number = 0;
    uint32_t start = 0, end = 0;
};
static_assert(sizeof(TextOperation) == 16);

// The operations of one block (or of the book's credit paragraph), with the
// characters, tag bytes and button targets they refer to.
struct TextContent {
    std::vector<TextOperation> ops;
    WString characters;
    ByteBuffer tags;

    bool empty() const { return ops.empty(); }
    void clear();

    // A run of characters; it joins the run before it when nothing stands between.
    void Text(WStringView text);
    void Text(char16_t c);
    // A code that carries nothing: paragraph marks, line breaks, emphasis.
    void Mark(TextCode code);
    // kSpan, kSpace or kEmpLine with the tags of `values`; the console hears
    // of a value that cannot be written.
    void Attributes(TextCode code, std::span<const TagValue> values, Console& console);
    // kSpan, kSpace or kEmpLine with tag bytes already encoded.
    void AttributeBytes(TextCode code, std::span<const uint8_t> bytes, uint32_t number = 0);
    // A button's start, by its button reference.
    void Button(uint32_t reference);
    void Plot(uint32_t image, int64_t width, int64_t height);
    // Appends one operation of another content, with what it carries.
    void AppendOperation(const TextContent& other, const TextOperation& op);
    // Appends another content's operations, from operation `from` on.
    void Append(const TextContent& other, size_t from = 0);
};

// The operation moved along with what it refers to: its characters by
// `characterBase`, its tag bytes by `tagBase`.
TextOperation Rebased(TextOperation op, size_t characterBase, size_t tagBase);

// A content's operations and what they refer to, wherever they are kept (a
// content of its own, or a block's run of the store's streams).
struct TextContentView {
    std::span<const TextOperation> ops;
    WStringView characters;
    std::span<const uint8_t> tags;
};

inline TextContentView ViewOf(const TextContent& content) { return {content.ops, content.characters, content.tags}; }

}  // namespace tavorin::lrf
