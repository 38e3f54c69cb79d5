// Writers of the content objects that copy prepared tags: blocks, image
// blocks, headers and footers, buttons, image streams, styles and fonts.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/console.h"
#include "lrf/store/object_store.h"
#include "lrf/writer/lrf_writer.h"
#include "lrf/writer/object_writers.h"
#include "lrf/writer/writer_output.h"

namespace tavorin::lrf {

namespace {

// Readers locate image data by the stream type; an image registered under an
// encoding name they do not know is typed by its leading bytes instead.
uint8_t ImageTypeOf(const ImageStreamRecord& image, std::span<const uint8_t> bytes) {
    if (image.imageType != 0) return image.imageType;
    auto startsWith = [&](std::initializer_list<uint8_t> magic) {
        return bytes.size() >= magic.size() && std::equal(magic.begin(), magic.end(), bytes.begin());
    };
    if (startsWith({0xFF, 0xD8})) return 0x11;
    if (startsWith({0x89, 'P', 'N', 'G'})) return 0x12;
    if (startsWith({'B', 'M'})) return 0x13;
    if (startsWith({'G', 'I', 'F', '8'})) return 0x14;
    return 0;
}

void WriteStyles(const std::vector<StyleRecord>& styles, ObjectType type) {
    for (const StyleRecord& style : styles) {
        ByteBuffer object = StartObject(style.id, type);
        PutBytes(object, TagRun(style.tags));
        FinishObject(object, style.id);
    }
}

void WriteHeaderFooterList(const std::vector<HeaderFooterRecord>& list, ObjectType type) {
    for (const HeaderFooterRecord& hf : list) {
        ByteBuffer object = StartObject(hf.id, type);
        PutBytes(object, TagRun(hf.tags));
        PutScrambledStream(object, EncodeHeaderStream(hf), false);
        FinishObject(object, hf.id);
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

void WriteBlocks() {
    for (const BlockRecord& block : g_store.blocks) {
        ByteBuffer object = StartObject(block.id, kTypeBlock);
        PutTag32(object, kTagLink, block.blockStyleId);
        PutBytes(object, TagRun(block.tags));
        ByteBuffer stream;
        PutTag32(stream, kTagLink, block.child);
        PutStream(object, 0x0000, stream);
        FinishObject(object, block.id);
    }
}

void WriteImageBlocks() {
    for (const ImageBlockRecord& image : g_store.imageBlocks) {
        ByteBuffer object = StartObject(image.id, kTypeImageBlock);
        PutBytes(object, TagRun(image.tags));
        PutTag32(object, kTagImageStreamId, image.imageStreamId);
        FinishObject(object, image.id);
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
    PutTag16(stream, kTagLineStart, static_cast<uint16_t>(hf.lineStartX));
    PutU16(stream, static_cast<uint16_t>(hf.lineY));
    PutTag16(stream, kTagLineWidth, static_cast<uint16_t>(hf.lineWidth));
    const auto c = static_cast<uint8_t>(hf.lineColor);
    PutTag(stream, kTagLineColor);
    PutBytes(stream, std::initializer_list<uint8_t>{0, c, c, c});
    PutTag16(stream, kTagLineType, static_cast<uint16_t>(hf.lineType * 16));
    PutTag16(stream, kTagLineEnd, static_cast<uint16_t>(hf.lineEndX));
    PutU16(stream, static_cast<uint16_t>(hf.lineY2));
    return stream;
}

void WriteHeadersAndFooters() {
    WriteHeaderFooterList(g_store.headers, kTypeHeader);
    WriteHeaderFooterList(g_store.footers, kTypeFooter);
}

void WriteButtons() {
    for (const ButtonRecord& button : g_store.buttons) {
        ByteBuffer object = StartObject(button.id, kTypeButton);
        PutTag16(object, kTagButtonFlags, 0x0010);  // push button
        PutTag(object, kTagPushButtonStart);
        PutTag(object, kTagButtonActionStart);
        PutTag32(object, kTagJumpTo, button.pageId);
        PutU32(object, button.blockId);
        PutTag(object, kTagButtonActionEnd);
        PutTag(object, kTagPushButtonEnd);
        FinishObject(object, button.id);
    }
}

// Only the first 1024 bytes of an image are scrambled.
void WriteImageStreams() {
    const ObjectStore& s = g_store;
    for (const ImageStreamRecord& image : s.imageStreams) {
        const auto bytes = std::span(s.imageStore).subspan(image.data.start, image.data.size());
        ByteBuffer stream(bytes.begin(), bytes.end());
        ScrambleStream(stream, g_output.scrambleKey, std::min<size_t>(stream.size(), 1024));
        ByteBuffer object = StartObject(image.id, kTypeImageStream);
        PutStream(object, kStreamScrambled | ImageTypeOf(image, bytes), stream);
        FinishObject(object, image.id);
    }
}

std::span<const uint8_t> TagRun(const Range& range) {
    return std::span(g_store.tagStore).subspan(range.start, range.size());
}

WStringView TextRun(const Range& range) { return WStringView(g_store.textStore).substr(range.start, range.size()); }

void PutScrambledStream(ByteBuffer& object, ByteBuffer stream, bool compress) {
    uint16_t flags = kStreamScrambled;
    if (compress) {
        CompressStream(stream);
        flags |= kStreamCompressed;
    }
    ScrambleStream(stream, g_output.scrambleKey, stream.size());
    PutStream(object, flags, stream);
}

void WritePageStyles() { WriteStyles(g_store.pageStyles, kTypePageStyle); }
void WriteBlockStyles() { WriteStyles(g_store.blockStyles, kTypeBlockStyle); }
void WriteTextStyles() { WriteStyles(g_store.textStyles, kTypeTextStyle); }

std::span<const uint8_t> TextStyleTags(uint32_t styleId) {
    const auto& styles = g_store.textStyles;
    // Text styles carry consecutive ids, so the id gives the position.
    if (styles.empty() || styleId < styles.front().id) return {};
    const size_t i = styleId - styles.front().id;
    return i < styles.size() ? TagRun(styles[i].tags) : std::span<const uint8_t>{};
}

void LoadFontFiles() {
    g_output.fontFiles.clear();
    for (const FontRecord& font : g_store.fonts) {
        ByteBuffer contents;
        if (!ReadWholeFile(font.file, contents)) {
            ConsoleLine("\nError: Font File" + font.file + " not found");
            return;
        }
        g_output.fontFiles.push_back(std::move(contents));
    }
}

void WriteFonts() {
    for (size_t i = 0; i < g_output.fontFiles.size(); ++i) {
        const FontRecord& font = g_store.fonts[i];
        ByteBuffer object = StartObject(font.id, kTypeFont);
        PutCountedText(object, kTagFontFileName, font.fontFileName);
        PutCountedText(object, kTagFontFaceName, font.fontName);
        CompressStream(g_output.fontFiles[i]);
        PutStream(object, 0x0141, g_output.fontFiles[i]);
        FinishObject(object, font.id);
    }
}

}  // namespace tavorin::lrf
