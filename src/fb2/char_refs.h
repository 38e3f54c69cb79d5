// Character references of the book's text and the escaping of markup
// characters written as text.
#pragma once

#include <cstdint>

#include "text/wide.h"

namespace tavorin::fb2 {

// Decodes every decimal and hexadecimal character reference in place; a
// reference to '<', '>' or '&' becomes "&lt;", "&gt;" or "&amp;".
void DecodeCharRefs(WString& text);
// Appends one character to markup text; '<', '>' and '&' are escaped so that
// they never open or close a tag.
void AppendTextCharacter(WString& out, uint32_t code);

}  // namespace tavorin::fb2
