// The look of a book's words as its text streams write them, read by the tests' own decoder: each container
// (button, superscript, subscript, italic) runs from its start code to its own end code; a word is strong where
// the font weight exceeds its text style's.
#pragma once

#include "support/lrf_check.h"

namespace tavorin::test {

// The words of the blocks the pages place, page by page, the title page (the first with text) left out;
// `marks` gets the WordMark bits (e2e_fb2_book.h) of each.
std::vector<std::u32string> ReadMarkedWords(const LrfFile& book, std::vector<uint8_t>& marks);

// Whether the first page of the main page tree places an image or a text block that writes a visible character
// (or an inline image).
bool FirstPageShowsSomething(const LrfFile& book);

}  // namespace tavorin::test
