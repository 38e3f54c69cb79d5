// The look of a book's words as its text streams write them, read by the tests' own decoder: each container
// (button, superscript, subscript, italic) runs from its start code to its own end code; a word is strong where
// the font weight exceeds its text style's.
#pragma once

#include "support/lrf_check.h"

namespace tavorin::test {

// The words of the blocks the pages place, page by page, the title page (the first with text) left out;
// `marks` gets the WordMark bits (e2e_fb2_book.h) of each, `blocks` (when given) the id of the text block of each.
std::vector<std::u32string> ReadMarkedWords(const LrfFile& book, std::vector<uint8_t>& marks,
                                            std::vector<uint32_t>* blocks = nullptr);

// The text block a block id names: itself, or the text block a block wrapper holds; nullptr for any other.
const LrfObject* TextBlockOf(const LrfFile& book, uint32_t id);

// Whether the first page of the main page tree places an image or a text block that writes a visible character
// (or an inline image).
bool FirstPageShowsSomething(const LrfFile& book);

}  // namespace tavorin::test
