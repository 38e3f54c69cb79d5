// The book being written: the output buffer, the object index, the LRF tag
// codes and object types the writers emit, and the framing every object
// shares (start tag, stream block, end tag, index entry).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "lrf/store/byte_buffer.h"
#include "lrf/store/object_store.h"
#include "lrf/writer/output_file.h"
#include "lrf/writer/stream_codec.h"

namespace tavorin::lrf {

constexpr uint16_t TypeOf(ElementKind kind) { return kObjectTypes[kind]; }

// Object type codes written after the object id: those of the element kinds,
// and the page tree, which no element makes.
enum ObjectType : uint16_t {
    kTypePageTree = 0x01,
    kTypePage = TypeOf(kKindPage),
    kTypeHeader = TypeOf(kKindHeader),
    kTypeFooter = TypeOf(kKindFooter),
    kTypePageStyle = TypeOf(kKindPageStyle),
    kTypeBlock = TypeOf(kKindBlock),
    kTypeBlockStyle = TypeOf(kKindBlockStyle),
    kTypeTextBlock = TypeOf(kKindTextBlock),
    kTypeTextStyle = TypeOf(kKindTextStyle),
    kTypeImageBlock = TypeOf(kKindImageBlock),
    kTypeImageStream = TypeOf(kKindImageStream),
    kTypeButton = TypeOf(kKindButton),
    kTypeFont = TypeOf(kKindFont),
    kTypeBookAttributes = TypeOf(kKindBookDefaults),
    kTypeToc = TypeOf(kKindTocLabel),
};

// Tag codes, stored little-endian (0xF500 is the byte pair 00 F5).
enum TagCode : uint16_t {
    kTagObjectStart = 0xF500,
    kTagObjectEnd = 0xF501,
    kTagLink = 0xF503,          // style of an object, or a child object
    kTagStreamSize = 0xF504,
    kTagStreamStart = 0xF505,
    kTagStreamEnd = 0xF506,
    kTagOddHeader = 0xF507,
    kTagEvenHeader = 0xF508,
    kTagOddFooter = 0xF509,
    kTagEvenFooter = 0xF50A,
    kTagChildList = 0xF50B,
    kTagFontWeight = 0xF515,
    kTagPutObject = 0xF549,
    kTagImageStreamId = 0xF54C,
    kTagStreamFlags = 0xF554,
    kTagFontFileName = 0xF559,
    kTagPageList = 0xF55C,
    kTagFontFaceName = 0xF55D,
    kTagButtonFlags = 0xF561,
    kTagPushButtonStart = 0xF566,
    kTagPushButtonEnd = 0xF567,
    kTagButtonActionStart = 0xF56A,
    kTagButtonActionEnd = 0xF56B,
    kTagJumpTo = 0xF56C,
    kTagPageTree = 0xF57B,
    kTagParentPageTree = 0xF57C,
    kTagItalic = 0xF581,
    kTagItalicEnd = 0xF582,
    kTagParagraph = 0xF5A1,
    kTagParagraphEnd = 0xF5A2,
    kTagButton = 0xF5A7,
    kTagButtonEnd = 0xF5A8,
    kTagSup = 0xF5B7,
    kTagSupEnd = 0xF5B8,
    kTagSub = 0xF5B9,
    kTagSubEnd = 0xF5BA,
    kTagEmpLine = 0xF5C1,
    kTagEmpLineEnd = 0xF5C2,
    kTagPlot = 0xF5D1,          // an image inside a line: width, height, image object id, adjustment
    kTagLineBreak = 0xF5D2,
    kTagFontLink = 0xF5D8,
    kTagLineWidth = 0xF5F1,
    kTagLineColor = 0xF5F2,
    kTagLineType = 0xF5F4,
    kTagLineStart = 0xF5F5,
    kTagLineEnd = 0xF5F6,
};

// Stream flags: content type in the low byte, and these two bits.
inline constexpr uint16_t kStreamCompressed = 0x0100;
inline constexpr uint16_t kStreamScrambled = 0x0200;

// The file as it is assembled, the index entries of the objects in it, and
// the compressor of its streams; one per book written. With a sink, the
// finished objects go on to it in pieces of about kSinkPiece bytes, so that
// the file does not stand in memory beside the store it is written from;
// without one the whole file stays in `file`.
struct LrfOutput {
    static constexpr size_t kSinkPiece = size_t{1} << 20;

    ByteBuffer file;           // the bytes not yet handed to the sink
    uint64_t flushed = 0;      // the bytes the sink holds (the start of `file` in the file)
    AtomicOutputFile* sink = nullptr;
    ByteBuffer index;
    uint32_t indexEntries = 0;
    uint8_t scrambleKey = 0;   // low byte of the header's key
    uint32_t tocOffset = 0;    // file offset of the table-of-contents object
    std::vector<ByteBuffer> fontFiles;  // contents of the fonts that will be written, in order
    std::string overflow;      // a field the book does not fit (the book is then not saved)
    Deflater deflater;

    // The file offset of the next byte written.
    uint64_t offset() const { return flushed + file.size(); }
};

// Hands the bytes held in `file` to the sink, when there is one.
void FlushToSink(LrfOutput& out);

// Appends one 16-byte index entry (id, offset, length, reserved 0).
void AppendIndexEntry(LrfOutput& out, uint32_t id, uint32_t offset, uint32_t length);

// A new scratch object holding F500, the id and the type.
ByteBuffer StartObject(uint32_t id, ObjectType type);
inline void PutTag(ByteBuffer& b, uint16_t code) { PutU16(b, code); }
inline void PutTag16(ByteBuffer& b, uint16_t code, uint16_t value) {
    PutU16(b, code);
    PutU16(b, value);
}
inline void PutTag32(ByteBuffer& b, uint16_t code, uint32_t value) {
    PutU16(b, code);
    PutU32(b, value);
}
// The stream block: F554 flags, F504 size, F505, the contents as stored, F506.
void PutStream(ByteBuffer& object, uint16_t flags, std::span<const uint8_t> contents);
// Closes the object with F501, records its index entry at the current end of
// the file and appends it there.
void FinishObject(LrfOutput& out, ByteBuffer& object, uint32_t id);

}  // namespace tavorin::lrf
