// The paragraph buffer of one FB2 element. A block is emitted from it when a
// structural element starts inside it (a section inside a paragraph of a damaged book), when it grows
// long, or when the element ends. A paragraph or a link button still open at
// that moment is closed at the block end, and the paragraph is reopened where
// its text goes on, so that every block holds balanced content. Text (or an
// inline element) that stands between paragraphs becomes a paragraph itself.
#pragma once

#include "fb2/block_content.h"
#include "settings/conversion_settings.h"
#include "text/wide.h"

namespace tavorin::fb2 {

// The operations of one tag of the element, appended to the buffer at once.
struct Fragment {
    TextContent content;
    size_t weight = 0;  // its measure (MarkWeight)

    void clear() {
        content.clear();
        weight = 0;
    }
    void Mark(TextCode code) {
        content.Mark(code);
        weight += MarkWeight(code);
    }
    void Text(WStringView text) {
        content.Text(text);
        weight += text.size();
    }
};

struct ElementBuffer {
    TextContent content;
    size_t measure = 0;  // the buffer's size in the measure that splits blocks
    const TReferenceSettings* linkLook = nullptr;  // the look of its link buttons; none in notes
    bool holdsParagraphs = true;    // text outside a paragraph is a paragraph of its own
    bool buttonOpen = false;        // a link button without its close
    bool paragraphOpen = false;     // a paragraph start without its end
    bool looseParagraph = false;    // the open paragraph holds text that stood between blocks
    bool paragraphCarried = false;  // the text goes on with a paragraph of the previous block
};

// Whether what comes next stands inside a paragraph (a subtitle's text is one).
bool InsideParagraph(const ElementBuffer& buffer);

// Appends text read between tags, as the book writes it.
void AppendText(ElementBuffer& buffer, WStringView text);
// Appends text that never opens a paragraph of its own (a CDATA section's).
void AppendRawText(ElementBuffer& buffer, WStringView text);

// Appends the operations of one tag. `opensButton`: the fragment opens a
// link button; `closesLink`: the tag is a link's "</a>".
void AppendFragment(ElementBuffer& buffer, const Fragment& fragment, bool opensButton, bool closesLink);

// The buffer's content as one block, balanced, and the buffer emptied.
TextContent TakeBlockContent(ElementBuffer& buffer);

}  // namespace tavorin::fb2
