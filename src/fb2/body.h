// Body conversion: the element loop over an FB2 body and the block emitter
// that turns buffers of paragraph markup into text blocks.
#pragma once

#include "fb2/block_kind.h"
#include "lrf/store/builders.h"
#include "settings/conversion_settings.h"
#include "text/wide.h"

namespace tavorin::fb2 {

struct Conversion;

// Converts the element opened by `tag` up to its closing tag, reading from
// cv.reader; the driver calls it with the body tag. The index is not used.
void ConvertElement(Conversion& cv, int index, const WString& tag);
// Tabs, CR and LF become blanks, one for one.
void BlanksForTabsAndLineBreaks(WString& text);
// Emits a buffer of paragraph markup as a block of the given kind.
void EmitBlock(Conversion& cv, BlockKind kind, WString text);

// The style labels of a text block of that style and its objid: "b" and the
// id, or "b" and the block number when the id is empty.
lrf::TextBlockLabels TextBlockLabels(Conversion& cv, StyleKind styleKind, WStringView id);
// Builds the block and the text block of one text block and counts it, even
// when its labels name it by an id instead of its number.
void BuildCountedTextBlock(Conversion& cv, const lrf::TextBlockLabels& labels, WStringView text);
// A block space with the spaces that are set (not negative); none
// when neither is. The first form takes the spaces of a style.
void EmitBlockSpace(Conversion& cv, StyleKind styleKind);
void EmitBlockSpace(Conversion& cv, int xSpace, int ySpace);
void WrapStyleEmphasis(Conversion& cv, StyleKind styleKind, WString& text);
// Standard block: attributes, block space, emphasis wrap, block and text builders.
void EmitStandardBlock(Conversion& cv, StyleKind styleKind, WString text, WStringView id);

}  // namespace tavorin::fb2
