// The paragraph buffer of one FB2 element, kept balanced across the block
// boundaries that structural elements and long buffers make.
#include "fb2/element_buffer.h"

#include "fb2/inline_markup.h"

namespace tavorin::fb2 {
namespace {

constexpr std::u16string_view kParagraphStart = u"<P>";
constexpr std::u16string_view kParagraphEnd = u"</P>";

void CloseButton(ElementBuffer& buffer) {
    buffer.text += kLinkClose;
    buffer.buttonOpen = false;
    if (buffer.linkLook != nullptr) ApplyLinkSettings(*buffer.linkLook, buffer.text);
}

void CloseParagraph(ElementBuffer& buffer) {
    if (buffer.buttonOpen) CloseButton(buffer);
    buffer.text += kParagraphEnd;
    // A paragraph of loose text ends its line like every paragraph of the book.
    if (buffer.looseParagraph) buffer.text += u"<CR/>";
    buffer.paragraphOpen = false;
    buffer.looseParagraph = false;
}

// Markup of an inline element: emphasis, strong, sup, sub, code, a link, an image.
bool StartsInline(WStringView markup) {
    constexpr WStringView kStarts[] = {u"<Italic>",     u"<Bold>",    u"<Sup>", u"<Sub>", u"<Span ",
                                       u"<CharButton ", u"(<Italic>", u"<Plot "};
    for (const WStringView start : kStarts) {
        if (StartsWith(markup, start)) return true;
    }
    return false;
}

bool StandsBetweenParagraphs(const ElementBuffer& buffer) {
    return buffer.holdsParagraphs && !buffer.paragraphOpen && !buffer.paragraphCarried;
}

void OpenLooseParagraph(ElementBuffer& buffer) {
    buffer.text += kParagraphStart;
    buffer.paragraphOpen = true;
    buffer.looseParagraph = true;
}

// Removes a paragraph start that nothing follows yet; returns whether there was one.
bool DropEmptyParagraphStart(WString& text) {
    const size_t last = text.find_last_not_of(u" \t\r\n");
    if (last == WString::npos || last + 1 < kParagraphStart.size()) return false;
    const size_t start = last + 1 - kParagraphStart.size();
    if (WStringView(text).substr(start, kParagraphStart.size()) != kParagraphStart) return false;
    text.resize(start);
    return true;
}

}  // namespace

bool InsideParagraph(const ElementBuffer& buffer) {
    return buffer.paragraphOpen || buffer.paragraphCarried || !buffer.holdsParagraphs;
}

void AppendText(ElementBuffer& buffer, WStringView text) {
    if (StandsBetweenParagraphs(buffer) && !IsBlank(text)) OpenLooseParagraph(buffer);
    buffer.text += text;
}

void AppendMarkup(ElementBuffer& buffer, WStringView markup, bool opensButton, bool closesLink) {
    if (closesLink) {
        // A close without its button (an address, no href, or a button already
        // closed at a block end) is dropped.
        if (buffer.buttonOpen) CloseButton(buffer);
        return;
    }
    const bool opensParagraph = StartsWith(markup, kParagraphStart);
    const bool closesParagraph = StartsWith(markup, kParagraphEnd);
    if (buffer.paragraphCarried) {
        buffer.paragraphCarried = false;
        // All of the paragraph's text went into the previous block: its end goes too.
        if (closesParagraph && IsBlank(buffer.text)) return;
        if (!opensParagraph || !IsBlank(buffer.text)) {
            buffer.text.insert(0, kParagraphStart);
            buffer.paragraphOpen = true;
        }
    }
    if (closesParagraph) {
        markup.remove_prefix(kParagraphEnd.size());
        if (buffer.paragraphOpen) CloseParagraph(buffer);  // no end without a start
    } else if (opensParagraph) {
        if (buffer.paragraphOpen) CloseParagraph(buffer);  // a paragraph inside a paragraph ends the outer one
        buffer.paragraphOpen = true;
    } else if (StandsBetweenParagraphs(buffer) && StartsInline(markup)) {
        OpenLooseParagraph(buffer);
    }
    if (opensButton && buffer.buttonOpen) CloseButton(buffer);
    buffer.text += markup;
    buffer.buttonOpen = buffer.buttonOpen || opensButton;
}

WString TakeBlockText(ElementBuffer& buffer) {
    if (buffer.paragraphCarried) {
        // Text of a paragraph between two structural elements.
        if (!IsBlank(buffer.text)) buffer.text = WString(kParagraphStart) + buffer.text + WString(kParagraphEnd);
    } else if (buffer.looseParagraph) {
        CloseParagraph(buffer);  // loose text after the block is a paragraph again
    } else if (buffer.paragraphOpen) {
        if (!DropEmptyParagraphStart(buffer.text)) CloseParagraph(buffer);
        buffer.paragraphOpen = false;
        buffer.paragraphCarried = true;
    }
    // A button never spans two blocks: it is closed where its block ends.
    if (buffer.buttonOpen) CloseButton(buffer);
    WString text = std::move(buffer.text);
    buffer.text.clear();
    return text;
}

}  // namespace tavorin::fb2
