// XML whitespace in the book's text, shown as a reader shows it: a run of
// blanks, tabs and line breaks is one blank, and no paragraph or value starts
// or ends with one. Non-breaking spaces and character references are not
// whitespace and stay.
#pragma once

#include "text/wide.h"

namespace tavorin::fb2 {

// Paragraph markup: runs are collapsed across inline tags (emphasis, links,
// spans); paragraph starts and ends, line breaks and the ends of the text
// drop the blanks next to them. Tags are kept as they are.
void CollapseMarkupWhitespace(WString& markup);

// The same collapse over markup that arrives in pieces (the annotation, read
// text piece by text piece): the state runs on from one piece to the next, so
// that a run split between pieces is one blank and a blank that ends a piece
// goes when the next piece starts a line.
struct MarkupCollapse {
    bool lineStart = true;              // nothing shown since the last line boundary
    size_t pendingBlank = WString::npos;  // a blank of `out` not yet followed by a shown character
};
// Appends the markup to `out`, collapsed. A pending blank stays at the end of
// `out` until the next piece decides it.
void AppendCollapsed(MarkupCollapse& state, WString& out, WStringView markup);

// A plain value (metadata): runs collapsed, both ends trimmed.
WString CollapsedValue(WStringView value);

}  // namespace tavorin::fb2
