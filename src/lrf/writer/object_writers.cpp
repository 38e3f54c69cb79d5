// Writers of the content objects that copy prepared tags: blocks, image
// blocks, headers and footers, buttons, image streams, styles and fonts.
#include "lrf/writer/object_writers.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "lrf/store/object_store.h"
#include "lrf/writer/linking.h"
#include "lrf/writer/stream_codec.h"
#include "lrf/writer/writer_output.h"

namespace tavorin::lrf {

namespace {

void WriteStyles(const ObjectStore& s, LrfOutput& out, const std::vector<StyleRecord>& styles, ObjectType type) {
    for (const StyleRecord& style : styles) {
        ByteBuffer object = StartObject(style.id, type);
        PutBytes(object, TagRun(s, style.tags));
        FinishObject(out, object, style.id);
    }
}

void WriteHeaderFooterList(const ObjectStore& s, LrfOutput& out, const std::vector<HeaderFooterRecord>& list,
                           ObjectType type) {
    for (const HeaderFooterRecord& hf : list) {
        ByteBuffer object = StartObject(hf.id, type);
        PutBytes(object, TagRun(s, hf.tags));
        PutScrambledStream(out, object, EncodeHeaderStream(hf), false);
        FinishObject(out, object, hf.id);
    }
}

// A byte count (16 bits) and the text in UTF-16LE.
void PutCountedText(ByteBuffer& b, uint16_t code, const std::string& text) {
    PutU16(b, code);
    PutCountedUtf16(b, Widen(text));
}

bool ReadWholeFile(const std::string& path, ByteBuffer& out) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace

void WriteBlocks(const ObjectStore& s, LrfOutput& out) {
    for (const BlockRecord& block : s.blocks) {
        ByteBuffer object = StartObject(block.id, kTypeBlock);
        PutTag32(object, kTagLink, block.blockStyleId);
        PutBytes(object, TagRun(s, block.tags));
        ByteBuffer stream;
        PutTag32(stream, kTagLink, block.child);
        PutStream(object, 0x0000, stream);
        FinishObject(out, object, block.id);
    }
}

void WriteImageBlocks(const ObjectStore& s, LrfOutput& out) {
    for (const ImageBlockRecord& image : s.imageBlocks) {
        ByteBuffer object = StartObject(image.id, kTypeImageBlock);
        PutBytes(object, TagRun(s, image.tags));
        PutTag32(object, kTagImageStreamId, image.imageStreamId);
        FinishObject(out, object, image.id);
    }
}

// Position (F549 x, y and the block id), then the rule line. Readers take
// every position as F549 followed by the id, so an absent coordinate (-1) is
// written as 0 rather than in a form of its own.
ByteBuffer EncodeHeaderStream(const HeaderFooterRecord& hf) {
    ByteBuffer stream;
    PutTag16(stream, kTagPutObject, static_cast<uint16_t>(std::max<int16_t>(hf.x1, 0)));
    PutU16(stream, static_cast<uint16_t>(std::max<int16_t>(hf.y1, 0)));
    PutU32(stream, hf.blockId);
    PutTag16(stream, kTagLineStart, static_cast<uint16_t>(hf.line.startX));
    PutU16(stream, static_cast<uint16_t>(hf.line.y));
    PutTag16(stream, kTagLineWidth, static_cast<uint16_t>(hf.line.width));
    const auto c = static_cast<uint8_t>(hf.line.color);
    PutTag(stream, kTagLineColor);
    PutBytes(stream, std::initializer_list<uint8_t>{0, c, c, c});
    PutTag16(stream, kTagLineType, static_cast<uint16_t>(hf.line.type * 16));
    PutTag16(stream, kTagLineEnd, static_cast<uint16_t>(hf.line.endX));
    PutU16(stream, static_cast<uint16_t>(hf.line.y));
    return stream;
}

void WriteHeadersAndFooters(const ObjectStore& s, LrfOutput& out) {
    WriteHeaderFooterList(s, out, s.headers, kTypeHeader);
    WriteHeaderFooterList(s, out, s.footers, kTypeFooter);
}

void WriteButtons(const ObjectStore& s, LrfOutput& out) {
    for (const ButtonRecord& button : s.buttons) {
        ByteBuffer object = StartObject(button.id, kTypeButton);
        PutTag16(object, kTagButtonFlags, 0x0010);  // push button
        PutTag(object, kTagPushButtonStart);
        PutTag(object, kTagButtonActionStart);
        PutTag32(object, kTagJumpTo, button.pageId);
        PutU32(object, button.blockId);
        PutTag(object, kTagButtonActionEnd);
        PutTag(object, kTagPushButtonEnd);
        FinishObject(out, object, button.id);
    }
}

// Only the first 1024 bytes of an image are scrambled.
void WriteImageStreams(const ObjectStore& s, LrfOutput& out) {
    for (const ImageStreamRecord& image : s.imageStreams) {
        const auto bytes = std::span(s.imageStore).subspan(image.data.start, image.data.size());
        ByteBuffer stream(bytes.begin(), bytes.end());
        ScrambleStream(stream, out.scrambleKey, std::min<size_t>(stream.size(), 1024));
        ByteBuffer object = StartObject(image.id, kTypeImageStream);
        PutStream(object, kStreamScrambled | image.imageType, stream);
        FinishObject(out, object, image.id);
    }
}

std::span<const uint8_t> TagRun(const ObjectStore& s, const Range& range) {
    return std::span(s.tagStore).subspan(range.start, range.size());
}

WStringView TextRun(const ObjectStore& s, const Range& range) {
    return WStringView(s.textStore).substr(range.start, range.size());
}

void PutScrambledStream(LrfOutput& out, ByteBuffer& object, ByteBuffer stream, bool compress) {
    uint16_t flags = kStreamScrambled;
    if (compress) {
        CompressStream(out.deflater, stream);
        flags |= kStreamCompressed;
    }
    ScrambleStream(stream, out.scrambleKey, stream.size());
    PutStream(object, flags, stream);
}

void WritePageStyles(const ObjectStore& s, LrfOutput& out) { WriteStyles(s, out, s.pageStyles, kTypePageStyle); }
void WriteBlockStyles(const ObjectStore& s, LrfOutput& out) { WriteStyles(s, out, s.blockStyles, kTypeBlockStyle); }
void WriteTextStyles(const ObjectStore& s, LrfOutput& out) { WriteStyles(s, out, s.textStyles, kTypeTextStyle); }

std::span<const uint8_t> TextStyleTags(const ObjectStore& s, uint32_t styleId) {
    const StyleRecord* style = RecordWithId(s.textStyles, styleId);
    return style != nullptr ? TagRun(s, style->tags) : std::span<const uint8_t>{};
}

std::vector<ByteBuffer> LoadFontFiles(std::span<const FontRecord> fonts, Console& console) {
    std::vector<ByteBuffer> files;
    for (const FontRecord& font : fonts) {
        ByteBuffer contents;
        if (!ReadWholeFile(font.file, contents)) {
            console.Line("\nError: Font File" + font.file + " not found");
            break;
        }
        files.push_back(std::move(contents));
    }
    return files;
}

void WriteFonts(const ObjectStore& s, LrfOutput& out) {
    for (size_t i = 0; i < out.fontFiles.size(); ++i) {
        const FontRecord& font = s.fonts[i];
        ByteBuffer object = StartObject(font.id, kTypeFont);
        PutCountedText(object, kTagFontFileName, font.fontFileName);
        PutCountedText(object, kTagFontFaceName, font.fontName);
        CompressStream(out.deflater, out.fontFiles[i]);
        PutStream(object, 0x0141, out.fontFiles[i]);
        FinishObject(out, object, font.id);
    }
}

}  // namespace tavorin::lrf
