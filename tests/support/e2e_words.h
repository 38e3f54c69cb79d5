// Words of a book's text and their in-order comparison: the end-to-end tests
// split the FB2 body text and the text read back from the LRF into words and
// check that the first arrive, in order, in the second.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavorin::test {

// UTF-8 to UTF-32; an invalid byte becomes U+FFFD.
std::u32string Utf8ToUtf32(std::string_view text);
std::string Utf32ToUtf8(std::u32string_view text);

// Letters and digits of any script (and combining marks); everything else
// (blanks, punctuation, symbols, controls) separates words.
bool IsWordChar(char32_t c);

// Maximal runs of word characters; each Han ideograph or kana is a word of
// its own, as those scripts put no blanks between words. Soft hyphens inside
// a word are dropped.
// With `marks` (bits per character of the text), `wordMarks` gets for each
// word the bits of its characters, or-ed.
std::vector<std::u32string> SplitWords(std::u32string_view text, const std::vector<uint8_t>* marks = nullptr,
                                       std::vector<uint8_t>* wordMarks = nullptr);

struct WordMatch {
    size_t found = 0;
    std::vector<size_t> missing;  // indexes into the expected words, ascending
    std::vector<size_t> places;   // of each expected word in the actual words; npos when missing
};

// In-order greedy match: each expected word is looked for at or after the
// place of the previous match; a match close by is taken, a far one only when
// the next expected words follow it closely (the book may hold extra text,
// such as the title and description pages, between the body words). A word
// not matched counts as missing and the place stays. O(n log n).
WordMatch MatchInOrder(const std::vector<std::u32string>& expected,
                       const std::vector<std::u32string>& actual);

// A short account of the first runs of missing words, with their positions.
std::string DescribeMissing(const WordMatch& match, const std::vector<std::u32string>& expected,
                            size_t maxRuns = 6);

}  // namespace tavorin::test
