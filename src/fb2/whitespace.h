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

// A plain value (metadata): runs collapsed, both ends trimmed.
WString CollapsedValue(WStringView value);

}  // namespace tavorin::fb2
