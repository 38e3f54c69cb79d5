// The LRF file writer: header, compressed metadata, optional thumbnail, the
// objects in their fixed order, the object index, and the save to disk.
#include "lrf/writer/file_writer.h"

#include <cassert>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "lrf/store/object_store.h"
#include "lrf/writer/metadata_block.h"
#include "lrf/writer/object_writers.h"
#include "lrf/writer/output_file.h"
#include "lrf/writer/page_writers.h"
#include "lrf/writer/text_stream.h"
#include "lrf/writer/writer_output.h"
#include "text/exit_codes.h"
#include "text/rounding.h"

namespace tavorin::lrf {

namespace {

constexpr size_t kHeaderSize = 88;
constexpr uint16_t kVersion = 999;
constexpr uint8_t kSignature[8] = {'L', 0, 'R', 0, 'F', 0, 0, 0};

struct Thumbnail {
    ByteBuffer bytes;
    uint16_t type = 0;
};

uint16_t ThumbnailType(const std::string& name) {
    const size_t dot = name.rfind('.');
    std::string ext = dot == std::string::npos ? std::string() : name.substr(dot);
    for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (ext == ".JPEG") return 17;
    if (ext == ".PNG") return 18;
    if (ext == ".BMP") return 19;
    if (ext == ".GIF") return 20;
    return 0;
}

// The thumbnail the conversion made, or the one named in the markup, looked
// for beside the input file; a named file that cannot be read is a read error.
Status LoadThumbnail(const ObjectStore& s, const std::string& input, Thumbnail& thumbnail) {
    if (!s.thumbnail.empty()) {
        thumbnail = {s.thumbnail, s.thumbnailType};
        return {};
    }
    const std::string& name = s.thumbnailFile;
    if (name.empty()) return {};
    const size_t slash = input.rfind('/');
    const std::string path = (slash == std::string::npos ? std::string() : input.substr(0, slash + 1)) + name;
    std::ifstream in(path, std::ios::binary);
    std::error_code ec;
    if (!in || !std::filesystem::is_regular_file(path, ec)) return Fail(kExitReadError, "Cannot read thumbnail " + path);
    thumbnail = {ByteBuffer(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), ThumbnailType(name)};
    return {};
}

// An `Error:` line for each part of the book shortened to fit its field.
void ReportShortening(Console& console, const MetadataBlock& metadata, const ObjectStore& s) {
    if (!metadata.shortened.empty()) {
        std::string names;
        for (const WString& name : metadata.shortened) names += (names.empty() ? "" : ", ") + Narrow(name);
        console.Line("\nError: Metadata too long for its field, shortened: " + names);
    }
    if (s.tocEntries.size() > kMaxTocEntries) {
        console.Line("\nError: Table of contents too long for its field, shortened to " +
                     std::to_string(kMaxTocEntries) + " entries of " + std::to_string(s.tocEntries.size()));
    }
}

void PadTo16(LrfOutput& out) {
    while (out.offset() % 16 != 0) out.file.push_back(0);
}

// Each of the writer's four steps halves the remaining distance to 100%.
void AdvanceProgress(Console& console) {
    const int p = console.progressPercent;
    console.SetProgress(p + static_cast<int>(RoundHalfEven((100 - p) / 2.0)));
}

struct HeaderValues {
    uint64_t indexOffset;
    uint16_t metadataSize;
    uint32_t metadataUncompressedSize;
    const Thumbnail& thumbnail;
};

ByteBuffer EncodeHeader(const ObjectStore& s, const LrfOutput& out, const HeaderValues& v) {
    const BookHeaderSettings& book = s.header;
    ByteBuffer h;
    PutBytes(h, kSignature);
    PutU16(h, kVersion);
    PutU16(h, out.scrambleKey);
    PutU32(h, s.rootId);
    PutU64(h, out.indexEntries);  // every object in the index, none else
    PutU64(h, v.indexOffset);
    PutU32(h, 0);
    PutU16(h, book.bindingDirection);
    PutU32(h, book.dpi);
    PutU16(h, book.screenWidth);
    PutU16(h, book.screenHeight);
    PutU16(h, book.colorDepth);
    h.resize(h.size() + 20);
    PutU32(h, s.tocId);
    PutU32(h, out.tocOffset);
    PutU16(h, v.metadataSize);
    PutU16(h, v.thumbnail.type);
    PutU32(h, static_cast<uint32_t>(v.thumbnail.bytes.size()));
    PutU32(h, v.metadataUncompressedSize);
    assert(h.size() == kHeaderSize);
    return h;
}

void WriteObjects(const ObjectStore& s, LrfOutput& out, Console& console) {
    WritePages(s, out);
    WriteTocObject(s, out);
    WriteMainPageTree(s, out);
    WriteSoloPageTrees(s, out);
    WriteBookAttributes(s, out);
    WriteBlocks(s, out);
    AdvanceProgress(console);
    WriteTextBlocks(s, out, console);
    AdvanceProgress(console);
    WriteImageBlocks(s, out);
    AdvanceProgress(console);
    WriteHeadersAndFooters(s, out);
    WriteButtons(s, out);
    WriteImageStreams(s, out);
    AdvanceProgress(console);
    WritePageStyles(s, out);
    WriteBlockStyles(s, out);
    WriteTextStyles(s, out);
    WriteFonts(s, out);
}

}  // namespace

Status WriteLrfFile(const ObjectStore& s, Console& console, const std::string& outputPath,
                    const std::string& inputPath) {
    // Text operations point into the text and tag streams with 32-bit offsets.
    if (s.textStore.size() > UINT32_MAX || s.tagStore.size() > UINT32_MAX) {
        return Fail(kExitBookTooLarge, "its text passes 4G characters");
    }
    LrfOutput out;
    // The key is a constant of the program; the BookSetting element copies it
    // into the header settings.
    const uint16_t key = s.header.scrambleKey != 0 ? s.header.scrambleKey : kScrambleKey;
    out.scrambleKey = static_cast<uint8_t>(key);
    out.fontFiles = LoadFontFiles(s.fonts, console);
    Thumbnail thumbnail;
    if (Status status = LoadThumbnail(s, inputPath, thumbnail); !status.ok()) return status;
    const MetadataBlock metadata = CompressMetadata(out.deflater, s.bookInfoXml);
    if (metadata.compressed.size() > kMaxCompressedMetadata) {
        return Fail(kExitBookTooLarge, "the metadata does not fit its 16-bit size field");
    }
    ReportShortening(console, metadata, s);

    // The objects go to the file as they are written; the header, which
    // needs the offsets of the index and the contents, is written last.
    AtomicOutputFile saved(outputPath);
    out.sink = &saved;
    ByteBuffer& file = out.file;
    file.reserve(LrfOutput::kSinkPiece + LrfOutput::kSinkPiece / 4);
    // An index entry for every id handed out, so that the index is not
    // copied while it grows.
    out.index.reserve(16 * size_t{s.lastId >= 50 ? s.lastId - 49 : 0});
    file.resize(kHeaderSize);
    PutBytes(file, metadata.compressed);
    if (!thumbnail.bytes.empty()) {
        PutBytes(file, thumbnail.bytes);
        PadTo16(out);
    }
    WriteObjects(s, out, console);
    PadTo16(out);  // the object index starts on a 16-byte boundary
    // Offsets and sizes in the index are 32 bits wide.
    if (out.overflow.empty() && out.offset() > 0xFFFFFFFFu) out.overflow = "a file larger than 4 GB";
    if (!out.overflow.empty()) return Fail(kExitBookTooLarge, out.overflow);
    const uint64_t indexOffset = out.offset();
    FlushToSink(out);
    saved.Append(out.index);
    const ByteBuffer header = EncodeHeader(s, out, {indexOffset, static_cast<uint16_t>(metadata.compressed.size() + 4),
                                            metadata.uncompressedSize, thumbnail});
    saved.WriteAt(0, header);
    if (!saved.Commit()) return Fail(kExitCannotWriteOutput, outputPath);
    return {};
}

}  // namespace tavorin::lrf
