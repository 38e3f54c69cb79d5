// Body conversion: the element loop over an FB2 body and the block emitter
// that turns buffers of paragraph markup into text blocks.
#pragma once

#include "fb2/block_kind.h"
#include "settings/conversion_settings.h"
#include "text/console.h"
#include "text/wide.h"

namespace tavorin::lrf {
struct ObjectStore;
}

namespace tavorin::fb2 {

struct Conversion;
struct PageCursor;
struct StyleValues;

// Buffer length after which an element's buffer is emitted at the next
// paragraph end; a link or an anchor lowers the threshold to 1 until then.
inline constexpr int kFlushThreshold = 5000;

// What the element loop keeps between the elements it reads (body.cpp; the
// link and image handlers it calls set the threshold, the link state and the
// image reference, and whoever emits a block consumes the pending id).
struct BodyState {
    int NestedElements = 0;  // element loops open inside the body's loop
    int FlushThreshold = kFlushThreshold;
    WString PendingId;  // id of a structural element waiting for its first block; at most 50 characters
    bool ExternalLinkOpen = false;
    WString ImageRef;  // at most 100 characters, leading '#' removed
};

// Converts the body opened by `tag` up to its closing tag, reading from
// cv.reader. A body named for notes or comments is converted in note style.
void ConvertBody(Conversion& cv, const WString& tag);
// Converts the element opened by `tag` up to its closing tag.
void ConvertElement(Conversion& cv, const WString& tag);
// Tabs, CR and LF become blanks, one for one.
void BlanksForTabsAndLineBreaks(WString& text);

// Emits a buffer of paragraph markup as a block of the given kind.
void EmitBlock(Conversion& cv, BlockKind kind, WString text);
// A header or footer text block (the running kinds of BlockKind).
void EmitRunningTextBlock(PageCursor& cursor, lrf::ObjectStore& store, Console& console,
                          const ConversionSettings& settings, BlockKind kind, WString text);

WString TextBlockAttributes(const ConversionSettings& settings, const PageCursor& cursor, StyleKind styleKind,
                            WStringView id);
// Builds the block and the text block of one text block and counts it, even
// when its attributes name it by an id instead of its number.
void BuildCountedTextBlock(PageCursor& cursor, lrf::ObjectStore& store, Console& console, WStringView attributes,
                           WStringView text);
// A BlockSpace element with the spaces that are set (not negative); none
// when neither is. The first form takes the spaces of a style.
void EmitBlockSpace(lrf::ObjectStore& store, const StyleValues& styles, StyleKind styleKind);
void EmitBlockSpace(lrf::ObjectStore& store, int xSpace, int ySpace);
void WrapStyleEmphasis(const ConversionSettings& settings, StyleKind styleKind, WString& text);
// Standard block: attributes, block space, emphasis wrap, block and text builders.
void EmitStandardBlock(Conversion& cv, StyleKind styleKind, WString text, WStringView id);

}  // namespace tavorin::fb2
