// XML whitespace in the book's text, shown as a reader shows it: a run of
// blanks, tabs and line breaks is one blank, and no paragraph or value starts
// or ends with one. Non-breaking spaces and character references are not
// whitespace and stay.
#pragma once

#include "lrf/store/text_content.h"
#include "text/wide.h"

namespace tavorin::fb2 {

// A block's content: runs are collapsed across inline marks; paragraph marks,
// line breaks and the indentation of a line drop the blanks next to them, and
// a picture in the line is shown like a word.
void CollapseContentWhitespace(lrf::TextContent& content);

// The same collapse over a content that arrives in pieces (the annotation,
// read text piece by text piece): the state runs on from one piece to the
// next, so that a run split between pieces is one blank and a blank that ends
// a piece goes when the next piece starts a line.
struct ContentCollapse {
    bool lineStart = true;              // nothing shown since the last line boundary
    size_t pendingOp = WString::npos;   // the operation of `out` that ends in a blank not yet followed by text
};
// Appends the piece to `out`, collapsed. A pending blank stays at the end of
// `out` until the next piece decides it (or DropPendingBlank drops it).
void AppendCollapsed(ContentCollapse& state, lrf::TextContent& out, const lrf::TextContent& piece);
void DropPendingBlank(ContentCollapse& state, lrf::TextContent& out);

// A plain value (metadata): runs collapsed, both ends trimmed.
WString CollapsedValue(WStringView value);

}  // namespace tavorin::fb2
