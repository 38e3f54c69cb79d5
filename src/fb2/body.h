// Body conversion: the element loop over an FB2 body, which collects
// paragraph markup and hands it to the block emitter.
#pragma once

#include "text/wide.h"

namespace tavorin::fb2 {

struct Conversion;

// Buffer length after which an element's buffer is emitted at the next
// paragraph end; a link or an anchor lowers the threshold to 1 until then.
inline constexpr int kFlushThreshold = 5000;

// What the element loop keeps between the elements it reads (body.cpp; the
// link handlers it calls set the threshold and the link state).
struct BodyState {
    int NestedElements = 0;  // element loops open inside the body's loop
    int FlushThreshold = kFlushThreshold;
    bool ExternalLinkOpen = false;
};

// Converts the body opened by `tag` up to its closing tag, reading from
// cv.reader. A body named for notes or comments is converted in note style.
void ConvertBody(Conversion& cv, const WString& tag);
// Converts the element opened by `tag` up to its closing tag.
void ConvertElement(Conversion& cv, const WString& tag);
// Tabs, CR and LF become blanks, one for one.
void BlanksForTabsAndLineBreaks(WString& text);

}  // namespace tavorin::fb2
