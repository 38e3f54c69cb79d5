// The content of a block on the FB2 side: typed text operations (see
// lrf/store/text_content.h) whose text runs hold the book's text as written
// (references and entities undecoded) until the block is emitted. Helpers to
// measure, test, trim and extend such contents.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>

#include "lrf/store/text_content.h"
#include "text/wide.h"

namespace tavorin::fb2 {

using lrf::TextCode;
using lrf::TextContent;
using lrf::TextOperation;

// The measure a block's buffer is split by: characters of text, and for each
// mark the weight of its written form, so that long buffers are cut at the
// same paragraph ends as the book's blocks always were.
size_t MarkWeight(TextCode code);
// Weights of the marks that carry values, in the same measure.
inline constexpr size_t kButtonWeight = 22;    // plus the length of the target's label
inline constexpr size_t kLinkLineWeight = 48;  // plus the line type's name
inline constexpr size_t kPayloadWeight = 13;   // the least any other valued mark weighs
size_t OpWeight(const TextOperation& op);
size_t ContentWeight(const TextContent& content);

WStringView TextOf(const TextContent& content, const TextOperation& op);
bool IsBlankText(const TextContent& content, const TextOperation& op);
// Only blanks, or nothing.
bool IsBlankContent(const TextContent& content);
bool HasCode(const TextContent& content, TextCode code);

// Whitespace, a lone paragraph mark or a lone line break makes no block.
bool HasContent(const TextContent& content);
inline bool IsBlankChar(char16_t c) { return c <= u' '; }
// Removes blanks (and controls) at both ends of the text, or at its end only.
void TrimContent(TextContent& content);
void TrimContentEnd(TextContent& content);

// Inserts marks that carry nothing before operation `at`.
void InsertMarks(TextContent& content, size_t at, std::initializer_list<TextCode> codes);
// Inserts the operations of `part` before operation `at`.
void InsertContent(TextContent& content, size_t at, const TextContent& part);

// The underline of a link: after the text, of type `type` (0 none, 1 solid,
// 2 dotted, 3 dashed, 4 double; any other number is dotted).
inline constexpr int kDottedLine = 2;
void LinkLine(TextContent& content, int type);
// The name of a line type, as the measure counts it.
WStringView LineTypeName(int type);
// Rewrites the emphasis line at `op` to the line type `type`.
void SetLinkLineType(TextContent& content, size_t op, int type);

}  // namespace tavorin::fb2
