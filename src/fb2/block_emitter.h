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
void EmitRunningTextBlock(PageCursor& cursor, lrf::ObjectStore& store, const ConversionSettings& settings,
                          BlockKind kind, TextContent content);

// The style labels of a text block of that style and its objid: the label of
// the id (id_labels.h), or "b" and the block number when the id is empty.
lrf::TextBlockLabels TextBlockLabels(const ConversionSettings& settings, const PageCursor& cursor, StyleKind styleKind,
                                     WStringView id);
// Builds the block and the text block of one text block and counts it, even
// when its labels name it by an id instead of its number.
void BuildCountedTextBlock(PageCursor& cursor, lrf::ObjectStore& store, const lrf::TextBlockLabels& labels,
                           const TextContent& content, lrf::BlockFlow flow = lrf::BlockFlow::kPage);
// A block space with the spaces that are set (not negative); none
// when neither is. The first form takes the spaces of a style.
void EmitBlockSpace(lrf::ObjectStore& store, const StyleValues& styles, StyleKind styleKind);
void EmitBlockSpace(lrf::ObjectStore& store, int xSpace, int ySpace);
void WrapStyleEmphasis(const ConversionSettings& settings, StyleKind styleKind, TextContent& content);
// Standard block: attributes, block space, emphasis wrap, block and text builders.
void EmitStandardBlock(Conversion& cv, StyleKind styleKind, TextContent content, WStringView id);

}  // namespace tavorin::fb2
