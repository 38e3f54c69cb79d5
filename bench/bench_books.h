// The books the benchmarks convert: the large corpus book, a 20 MB book made
// by repeating its body, and the text of a book as UTF-16 (what the
// converter's compressed streams are made of).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavorin::bench {

// The large corpus book; empty when the corpus is not next to the repository.
std::string DefaultBookPath();

std::vector<uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// The book with the content of its first body repeated until the whole is
// about `targetSize` bytes. The notes body and the images stay single.
std::vector<uint8_t> EnlargeBook(const std::vector<uint8_t>& book, size_t targetSize);

// A dictionary of about `targetSize` bytes: entries of a few words, each a
// titled top-level section (so each on a page of its own, with its running
// footer and contents entry): the costliest shape of book per input byte.
std::vector<uint8_t> TitledSectionsBook(size_t targetSize);

// The book's text (the characters between its tags, images left out) as
// UTF-16LE bytes, decoded with the code page its XML declaration names
// (Windows-1251 or UTF-8 here).
std::vector<uint8_t> TextAsUtf16(const std::vector<uint8_t>& book);

}  // namespace tavorin::bench
