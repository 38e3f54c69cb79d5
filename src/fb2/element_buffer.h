// The paragraph buffer of one FB2 element. A block is emitted from it when a
// structural element starts inside it (a section inside a paragraph of a damaged book), when it grows
// long, or when the element ends. A paragraph or a link button still open at
// that moment is closed at the block end, and the paragraph is reopened where
// its text goes on, so that every block holds balanced markup. Text (or an
// inline element) that stands between paragraphs becomes a paragraph itself.
#pragma once

#include "settings/conversion_settings.h"
#include "text/wide.h"

namespace tavorin::fb2 {

struct ElementBuffer {
    WString text;
    const TReferenceSettings* linkLook = nullptr;  // the look of its link buttons; none in notes
    bool holdsParagraphs = true;    // text outside a paragraph is a paragraph of its own
    bool buttonOpen = false;        // a link button without its close
    bool paragraphOpen = false;     // a "<P>" without its "</P>"
    bool looseParagraph = false;    // the open paragraph holds text that stood between blocks
    bool paragraphCarried = false;  // the text goes on with a paragraph of the previous block
};

// Whether what comes next stands inside a paragraph (a subtitle's text is one).
bool InsideParagraph(const ElementBuffer& buffer);

// Appends text read between tags.
void AppendText(ElementBuffer& buffer, WStringView text);

// Appends the markup of one tag. `opensButton`: the markup opens a link
// button; `closesLink`: the tag is a link's "</a>".
void AppendMarkup(ElementBuffer& buffer, WStringView markup, bool opensButton, bool closesLink);

// The buffer's text as one block, balanced, and the buffer emptied.
WString TakeBlockText(ElementBuffer& buffer);

}  // namespace tavorin::fb2
