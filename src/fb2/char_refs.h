// Character references of the book's text and the escaping of XML
// characters written as text.
#pragma once

#include <cstdint>

#include "lrf/store/text_content.h"
#include "text/wide.h"

namespace tavorin::fb2 {

// Decodes every decimal and hexadecimal character reference in place; a
// reference to '<', '>' or '&' becomes "&lt;", "&gt;" or "&amp;", one to a C1
// control the Windows-1252 character it stands for (ReadC1AsWindows1252).
void DecodeCharRefs(WString& text);
// Decodes the text runs of a block's content into the characters a reader
// sees: character references (as DecodeCharRefs), then the XML entities and
// "&nbsp;"; any other entity stands for nothing. An entity cut off by the end
// of the block is dropped.
void DecodeContentText(lrf::TextContent& content);
// The text a reader sees of a value as the book writes it: tags removed,
// references and the XML entities and "&nbsp;" as their characters, any other
// entity removed.
WString MarkupAsPlainText(WStringView markup);
// Appends one character to text as the book writes it; '<', '>' and '&' are escaped so that
// they never open or close a tag.
void AppendTextCharacter(WString& out, uint32_t code);

}  // namespace tavorin::fb2
