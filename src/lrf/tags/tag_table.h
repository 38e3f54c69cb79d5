// The tags of styles, blocks and text: one table of every tag the converter
// writes (its markup name, code and value width), the attribute lists of the
// inline text markup that name them, the typed tag lists the FB2 conversion
// fills, and the encoding of values into tag bytes.
#pragma once

#include <cstdint>
#include <span>
#include <utility>

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

// Every tag the converter writes, a row of the tag table.
enum class Tag : uint8_t {
    // page
    kEvenSideMargin, kFootHeight, kFootSpace, kHeadHeight, kHeadSep, kOddSideMargin, kPagePosition,
    kTextHeight, kTextWidth, kTopMargin, kSetEmptyView,
    // shared by pages and blocks, pages and text
    kBgImageMode, kLayout, kSetWaitProp,
    // block
    kBlockHeight, kBlockWidth, kBlockRule, kFrameWidth, kFrameColor, kFrameMode, kTopSkip, kSideMargin,
    kFootSkip, kBgColor,
    // text
    kFontSize, kFontWidth, kFontEscapement, kFontOrientation, kFontWeight, kFontFaceName, kTextColor,
    kTextBgColor, kWordSpace, kLetterSpace, kBaselineSkip, kLineSpace, kParIndent, kParSkip, kAlign, kColumn,
    kColumnSep, kCharSpace, kTextLineWidth, kLineColor, kRubyAlignAndAdjust, kRubyOverhang, kEmpDotsPosition,
    kEmpDotsCode, kEmpLinePosition, kEmpLineType, kEmpDotsFontName, kXSize,
    kCount
};

// One tag and its value, as markup would have given it: a plain number, a
// colour as 0xAARRGGBB, a text line width in markup units, the number an
// enumerated word stands for (below), or the text of a font-name tag.
struct TagValue {
    Tag tag;
    int64_t number = 0;
    WString text;

    TagValue(Tag t, int64_t n, WString s = {}) : tag(t), number(n), text(std::move(s)) {}
};

// The numbers of the enumerated words the converter writes.
inline constexpr int kBgImageFix = 0;
inline constexpr int kEmptyViewEmpty = 1;
inline constexpr int kPagePositionAny = 0;
inline constexpr int kFrameModeSquare = 1;
inline constexpr int kLayoutLrTb = 0x34;
inline constexpr int kAlignHead = 1, kAlignCenter = 4, kAlignFoot = 8;
inline constexpr int kRubyOverhangNone = 0;
inline constexpr int kRubyAlignStart = 1;  // rubyalign and rubyadjust add up into one tag
inline constexpr int kRubyAdjustNone = 0;
inline constexpr int kPositionBefore = 1;  // emphasis dots and lines
inline constexpr int kLineNone = 0, kLineSolid = 0x10;
inline constexpr int kWaitNoReplay = 2;
// Block rules: horz-fixed, horz-adjustable, vert-fixed, vert-adjustable,
// block-fixed, block-adjustable.
inline constexpr int kBlockRules[] = {0x14, 0x12, 0x41, 0x21, 0x44, 0x22};

// Appends the tags of the list in its order. A selector of block attributes
// gives the "fix" background mode as 1; an emphasis-dots font makes the
// combined tag carry the dots' character and leaves a separate dots code out;
// an enumerated number with no word is reported as an unknown word and its
// tag left out.
void EncodeTags(int selector, ByteBuffer& out, std::span<const TagValue> tags, Console& console);

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
// The code and width of a tag, and its markup attribute name.
TTag TagOf(Tag tag);
WStringView TagName(Tag tag);
// Converts a typed value as ConvertTagValue converts its markup text:
// colours to file order, a text line width to its tag value. An enumerated
// number that no word stands for prints the error line of an unknown (empty)
// word and gives false.
bool ConvertTypedValue(uint16_t code, int64_t& value, Console& console);

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
