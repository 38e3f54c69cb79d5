// The paragraph buffer of one FB2 element, kept balanced across the block
// boundaries that structural elements and long buffers make.
#include "fb2/element_buffer.h"

#include "fb2/inline_markup.h"

namespace tavorin::fb2 {
namespace {

void CloseButton(ElementBuffer& buffer) {
    buffer.content.Mark(TextCode::kEmpLineEnd);
    buffer.content.Mark(TextCode::kButtonEnd);
    buffer.measure += MarkWeight(TextCode::kEmpLineEnd) + MarkWeight(TextCode::kButtonEnd);
    buffer.buttonOpen = false;
    if (buffer.linkLook != nullptr) ApplyLinkSettings(*buffer.linkLook, buffer.content, buffer.measure);
}

void AddMark(ElementBuffer& buffer, TextCode code) {
    buffer.content.Mark(code);
    buffer.measure += MarkWeight(code);
}

void CloseParagraph(ElementBuffer& buffer) {
    if (buffer.buttonOpen) CloseButton(buffer);
    AddMark(buffer, TextCode::kParagraphEnd);
    // A paragraph of loose text ends its line like every paragraph of the book.
    if (buffer.looseParagraph) AddMark(buffer, TextCode::kLineBreak);
    buffer.paragraphOpen = false;
    buffer.looseParagraph = false;
}

// The start of an inline element: emphasis, strong, sup, sub, code, a link
// (a button, or an address in parentheses), an image.
bool StartsInline(const TextContent& fragment) {
    if (fragment.ops.empty()) return false;
    switch (fragment.ops[0].code) {
        case TextCode::kItalic:
        case TextCode::kBold:
        case TextCode::kSup:
        case TextCode::kSub:
        case TextCode::kSpan:
        case TextCode::kButton:
        case TextCode::kPlot: return true;
        case TextCode::kText:
            return TextOf(fragment, fragment.ops[0]) == u"(" && fragment.ops.size() > 1 &&
                   fragment.ops[1].code == TextCode::kItalic;
        default: return false;
    }
}

bool StandsBetweenParagraphs(const ElementBuffer& buffer) {
    return buffer.holdsParagraphs && !buffer.paragraphOpen && !buffer.paragraphCarried;
}

void OpenLooseParagraph(ElementBuffer& buffer) {
    AddMark(buffer, TextCode::kParagraph);
    buffer.paragraphOpen = true;
    buffer.looseParagraph = true;
}

// Removes a paragraph start that nothing follows yet; returns whether there was one.
bool DropEmptyParagraphStart(TextContent& content) {
    size_t last = content.ops.size();
    while (last > 0 && IsBlankText(content, content.ops[last - 1])) --last;
    if (last == 0 || content.ops[last - 1].code != TextCode::kParagraph) return false;
    content.ops.resize(last - 1);
    return true;
}

bool StartsWithCode(const TextContent& content, TextCode code) {
    return !content.ops.empty() && content.ops[0].code == code;
}

}  // namespace

bool InsideParagraph(const ElementBuffer& buffer) {
    return buffer.paragraphOpen || buffer.paragraphCarried || !buffer.holdsParagraphs;
}

void AppendText(ElementBuffer& buffer, WStringView text) {
    if (text.empty()) return;
    if (StandsBetweenParagraphs(buffer) && !IsBlank(text)) OpenLooseParagraph(buffer);
    AppendRawText(buffer, text);
}

void AppendRawText(ElementBuffer& buffer, WStringView text) {
    buffer.content.Text(text);
    buffer.measure += text.size();
}

void AppendFragment(ElementBuffer& buffer, const Fragment& fragment, bool opensButton, bool closesLink) {
    if (closesLink) {
        // A close without its button (an address, no href, or a button already
        // closed at a block end) is dropped.
        if (buffer.buttonOpen) CloseButton(buffer);
        return;
    }
    const TextContent& part = fragment.content;
    const bool opensParagraph = StartsWithCode(part, TextCode::kParagraph);
    const bool closesParagraph = StartsWithCode(part, TextCode::kParagraphEnd);
    if (buffer.paragraphCarried) {
        buffer.paragraphCarried = false;
        // All of the paragraph's text went into the previous block: its end goes too.
        if (closesParagraph && IsBlankContent(buffer.content)) return;
        if (!opensParagraph || !IsBlankContent(buffer.content)) {
            InsertMarks(buffer.content, 0, {TextCode::kParagraph});
            buffer.measure += MarkWeight(TextCode::kParagraph);
            buffer.paragraphOpen = true;
        }
    }
    size_t skipped = 0;  // operations of the fragment already written
    size_t weight = fragment.weight;
    if (closesParagraph) {
        skipped = 1;
        weight -= MarkWeight(TextCode::kParagraphEnd);
        if (buffer.paragraphOpen) CloseParagraph(buffer);  // no end without a start
    } else if (opensParagraph) {
        if (buffer.paragraphOpen) CloseParagraph(buffer);  // a paragraph inside a paragraph ends the outer one
        buffer.paragraphOpen = true;
    } else if (StandsBetweenParagraphs(buffer) && StartsInline(part)) {
        OpenLooseParagraph(buffer);
    }
    if (opensButton && buffer.buttonOpen) CloseButton(buffer);
    buffer.content.Append(part, skipped);
    buffer.measure += weight;
    buffer.buttonOpen = buffer.buttonOpen || opensButton;
}

TextContent TakeBlockContent(ElementBuffer& buffer) {
    TextContent& content = buffer.content;
    if (buffer.paragraphCarried) {
        // Text of a paragraph between two structural elements.
        if (!IsBlankContent(content)) {
            InsertMarks(content, 0, {TextCode::kParagraph});
            content.Mark(TextCode::kParagraphEnd);
        }
    } else if (buffer.looseParagraph) {
        CloseParagraph(buffer);  // loose text after the block is a paragraph again
    } else if (buffer.paragraphOpen) {
        if (!DropEmptyParagraphStart(content)) CloseParagraph(buffer);
        buffer.paragraphOpen = false;
        buffer.paragraphCarried = true;
    }
    // A button never spans two blocks: it is closed where its block ends.
    if (buffer.buttonOpen) CloseButton(buffer);
    TextContent taken = std::move(content);
    content = TextContent();
    buffer.measure = 0;
    return taken;
}

}  // namespace tavorin::fb2
