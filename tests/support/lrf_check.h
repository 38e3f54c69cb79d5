// Reading LRF files back in tests: a small parser of the header, the object
// index, each object's tags and its stream (descrambled and inflated), and a
// structure check that lists every problem a reader would trip over.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tavorin::test {

struct LrfTag {
    uint16_t code = 0;
    std::vector<uint8_t> value;  // the bytes after the code
    uint16_t U16(size_t at = 0) const;
    uint32_t U32(size_t at = 0) const;
};

struct LrfObject {
    uint32_t id = 0;
    uint16_t type = 0;
    uint32_t offset = 0, size = 0;  // from the index
    std::vector<LrfTag> tags;       // between F500 and F501, the stream block left out
    bool hasStream = false;
    uint16_t streamFlags = 0;
    std::vector<uint8_t> storedStream;  // as stored in the file
    std::vector<uint8_t> stream;        // descrambled and inflated
    const LrfTag* Find(uint16_t code) const;
    std::vector<const LrfTag*> FindAll(uint16_t code) const;
};

struct LrfFile {
    uint16_t version = 0, scrambleKey = 0;
    uint32_t rootId = 0;
    uint64_t objectCount = 0, indexOffset = 0;
    uint16_t bindingDirection = 0;
    uint32_t dpi = 0;
    uint16_t screenWidth = 0, screenHeight = 0, colorDepth = 0;
    uint32_t tocId = 0, tocOffset = 0;
    uint16_t metadataSize = 0, thumbnailType = 0;
    uint32_t thumbnailSize = 0, metadataUncompressedSize = 0;
    std::vector<uint8_t> metadata;  // inflated, byte-order mark included
    std::vector<uint8_t> thumbnail;
    std::vector<LrfObject> objects; // in index order
    std::map<uint32_t, size_t> byId;

    const LrfObject* Object(uint32_t id) const;
    std::vector<const LrfObject*> OfType(uint16_t type) const;
    std::u16string MetadataText() const;  // without the byte-order mark
};

// Parses the file as far as it can; problems met on the way are appended to
// `problems` when given.
LrfFile ReadLrf(const std::vector<uint8_t>& file, std::vector<std::string>* problems = nullptr);

// Every structural problem of the file, in words; empty for a sound book.
// Checks the header, the index, the object framing, every stream, and that
// every id a tag refers to names an object of the right type (a button whose
// target is not in the book, page and block 0, is allowed).
std::vector<std::string> CheckLrfStructure(const std::vector<uint8_t>& file);

// One item of a text stream: a tag with its argument bytes, or a run of text
// (code 0).
struct TextItem {
    uint16_t code = 0;
    std::vector<uint8_t> args;
    std::u16string text;
};
std::vector<TextItem> DecodeTextStream(const std::vector<uint8_t>& stream);
// The characters of a text stream, tags left out.
std::u16string TextStreamText(const std::vector<uint8_t>& stream);

// Descrambles in place the way readers do.
void Descramble(std::vector<uint8_t>& bytes, uint8_t key, uint16_t objectType);

}  // namespace tavorin::test
