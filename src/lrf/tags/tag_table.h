// The attribute tables tying layout markup attribute names to LRF tags, and
// the encoding of attribute values into tag bytes.
#pragma once

#include <cstdint>

#include "lrf/store/byte_buffer.h"
#include "text/wide.h"

namespace tavorin::lrf {

enum TagSelector : int {
    kPageAttributes = 0,   // pages and page styles
    kBlockAttributes = 1,  // block wrappers, block styles, headers and footers
    kTextAttributes = 2,   // text blocks, text styles, book defaults, spans
};

// One attribute table row; a lookup result leaves `name` empty, and the value
// encoder uses it to carry a string value (font names).
struct TTag {
    WString name;
    uint16_t code = 0;  // 0: no tag is written
    int16_t size = 0;   // 2, or -1 for a code with its own encoding
};

// Parses the attribute list of one element and appends one tag per
// recognised attribute to `out`, in the order of the attributes.
void EncodeAttributes(int selector, ByteBuffer& out, WStringView element);

TTag LookupTag(int selector, WStringView name);
bool ConvertTagValue(uint16_t code, WStringView value, int64_t& out);
void WriteTag(ByteBuffer& out, const TTag& tag, int64_t value);
void WriteFontNameTag(ByteBuffer& out, WStringView name);
void WriteEmphasisDotsFontTag(ByteBuffer& out, WStringView name);

}  // namespace tavorin::lrf
