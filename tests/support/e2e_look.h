// The look of a book's words as its LRF text streams write them, read by a
// decoder of its own: each container (button, superscript, subscript,
// italic) runs from its start code to its own end code, and a word is bold
// where the font weight exceeds its text style's.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/lrf_check.h"

namespace tavorin::test {

struct MarkedWords {
    std::vector<std::u32string> words;
    std::vector<uint8_t> marks;  // WordMark bits (e2e_fb2_book.h) of each word
};

// The words of the text blocks in index order, those of the title page and
// of the running headers and footers left out.
MarkedWords ReadMarkedWords(const LrfFile& book);

}  // namespace tavorin::test
