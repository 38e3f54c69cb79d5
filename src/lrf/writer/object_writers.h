// The writers of the content and style objects (blocks, image blocks,
// headers and footers, buttons, image streams, styles, fonts), run once each
// by WriteLrfFile in the order declared here, and the helpers every object
// writer uses. Each writer walks its records in creation order and appends
// one finished object per record to the output.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "lrf/store/byte_buffer.h"
#include "lrf/store/object_store.h"
#include "lrf/writer/writer_output.h"
#include "text/console.h"
#include "text/wide.h"

namespace tavorin::lrf {

void WriteBlocks(const ObjectStore& s, LrfOutput& out);
void WriteImageBlocks(const ObjectStore& s, LrfOutput& out);
void WriteHeadersAndFooters(const ObjectStore& s, LrfOutput& out);
void WriteButtons(const ObjectStore& s, LrfOutput& out);
void WriteImageStreams(const ObjectStore& s, LrfOutput& out);
void WritePageStyles(const ObjectStore& s, LrfOutput& out);
void WriteBlockStyles(const ObjectStore& s, LrfOutput& out);
void WriteTextStyles(const ObjectStore& s, LrfOutput& out);
void WriteFonts(const ObjectStore& s, LrfOutput& out);

// Reads the font files before anything is written, so that the book
// attributes list exactly the fonts that are written. Stops at the first
// file that cannot be read, with an error line.
std::vector<ByteBuffer> LoadFontFiles(std::span<const FontRecord> fonts, Console& console);

// A record's run of prepared tags in the tag store.
std::span<const uint8_t> TagRun(const ObjectStore& s, const Range& range);
// A record's run of text in the text store.
WStringView TextRun(const ObjectStore& s, const Range& range);
// The stream block of a page, header, footer or text block: the stream is
// compressed first when asked, then scrambled over its whole length.
void PutScrambledStream(LrfOutput& out, ByteBuffer& object, ByteBuffer stream, bool compress);
// Tag bytes of the text style with this id; empty when there is none.
std::span<const uint8_t> TextStyleTags(const ObjectStore& s, uint32_t styleId);

// Stream of a header or footer: its position, the block shown, the rule line.
ByteBuffer EncodeHeaderStream(const HeaderFooterRecord& hf);

}  // namespace tavorin::lrf
