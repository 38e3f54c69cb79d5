// The block emitter: block contents become the objects of their
// block kind, and the pieces every text block is made of.
#pragma once

#include "fb2/block_content.h"
#include "fb2/block_kind.h"
#include "lrf/store/builders.h"
#include "settings/conversion_settings.h"
#include "text/wide.h"

namespace tavorin::fb2 {

struct Conversion;
struct PageCursor;
struct StyleValues;

// Emits a block content (its text as the book writes it) as a block of the
// given kind (not BlockKind::kImage: an image block is emitted by EmitImage).
void EmitBlock(Conversion& cv, BlockKind kind, TextContent text);
// Emits the image block (BlockKind::kImage) of the image `imageRef` where the
// next block goes; it takes the pending id when the image is placed.
void EmitImage(Conversion& cv, WStringView imageRef);
// A header or footer text block (the running kinds of BlockKind).
void EmitRunningTextBlock(lrf::ObjectStore& store, const StyleValues& styles, BlockKind kind, TextContent content);

// The style records of a text block of that style.
lrf::TextBlockStyles TextBlockStyles(const StyleValues& styles, StyleKind styleKind);
// A block space with the spaces that are set (not negative); none
// when neither is. The first form takes the spaces of a style.
void EmitBlockSpace(lrf::ObjectStore& store, const StyleValues& styles, StyleKind styleKind);
void EmitBlockSpace(lrf::ObjectStore& store, int xSpace, int ySpace);
void WrapStyleEmphasis(const ConversionSettings& settings, StyleKind styleKind, TextContent& content);
// Standard block: attributes, block space, emphasis wrap, block and text builders.
// A text block of the style, carrying the FB2 id `id` (none: empty); returns
// its number.
uint32_t EmitStandardBlock(Conversion& cv, StyleKind styleKind, TextContent content, WStringView id);

}  // namespace tavorin::fb2
