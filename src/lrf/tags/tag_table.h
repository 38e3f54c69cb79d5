// The attribute tables tying layout markup attribute names to LRF tags, and
// the encoding of attribute values into tag bytes.
#pragma once

#include <cstdint>

#include "lrf/store/byte_buffer.h"
#include "text/console.h"
#include "text/wide.h"

namespace tavorin::lrf {

enum TagSelector : int {
    kPageAttributes = 0,   // pages and page styles
    kBlockAttributes = 1,  // block wrappers, block styles, headers and footers
    kTextAttributes = 2,   // text blocks, text styles, book defaults, spans
};

// Internal code of `empdotsfontname`: never written to a file, it selects the
// combined emphasis-dots tag (0xF578 carrying a font name and a full stop).
inline constexpr uint16_t kEmphasisDotsFontCode = 0xFF16;
inline constexpr uint16_t kFontFaceNameCode = 0xF516;
inline constexpr uint16_t kBgImageModeCode = 0xF529;

// One attribute table row; a lookup result leaves `name` empty, and the value
// encoder uses it to carry a string value (font names).
struct TTag {
    WString name;
    uint16_t code = 0;  // 0: no tag is written
    int16_t size = 0;   // 2, or -1 for a code with its own encoding
};

// Parses the attribute list of one element and appends one tag per
// recognised attribute to `out`, in the order of the attributes; a value it
// cannot read prints an error line on the console.
void EncodeAttributes(int selector, ByteBuffer& out, WStringView element, Console& console);

// Row of the selected table whose name equals `name` (code and size only);
// code 0 when there is none or the selector is not 0 to 2.
TTag LookupTag(int selector, WStringView name);
// Converts the values that have words or a special numeric form (colours,
// text line width, enumerations). False when the code has no such conversion
// or the word is unknown; an unknown word prints an error line.
bool ConvertTagValue(uint16_t code, WStringView value, int64_t& out, Console& console);
// Appends the tag code and its value bytes; font names travel in tag.name.
void WriteTag(ByteBuffer& out, const TTag& tag, int64_t value, Console& console);

// Parses a colour as markup writes it: "0x" and up to eight hexadecimal digits
// (alpha, red, green, blue), or a decimal number. False, leaving `value`
// unchanged, when the text is neither.
bool ParseColorValue(WStringView text, uint32_t& value);

}  // namespace tavorin::lrf
