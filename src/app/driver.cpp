// The conversion driver: the pipeline of one conversion, in order — input
// detection, styles, the description pass, the image pass, the title pages,
// the body pass, the closing elements, linking and writing — then clean-up
// and the final message.
#include "app/driver.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>

#include "app/input.h"
#include "codec/base64.h"
#include "codec/image_probe.h"
#include "codec/thumbnail.h"
#include "fb2/body.h"
#include "fb2/conversion.h"
#include "fb2/description.h"
#include "fb2/fb2_tag.h"
#include "fb2/images.h"
#include "fb2/notes.h"
#include "fb2/pages.h"
#include "fb2/styles.h"
#include "lrf/store/builders.h"
#include "lrf/store/object_store.h"
#include "lrf/writer/file_writer.h"
#include "lrf/writer/linking.h"
#include "settings/conversion_settings.h"
#include "text/exit_codes.h"
#include "text/rounding.h"
#include "text/unicode_reader.h"

namespace tavorin {

namespace {

constexpr lrf::BookHeaderSettings kBookSetting{
    .bindingDirection = lrf::kBindingLeftToRight, .dpi = 1600, .screenWidth = 584, .screenHeight = 754, .colorDepth = 24};
// The book's default text attributes. The emphasis dots have a font of their
// own, so their tag carries the full stop and the dots code goes unwritten.
const lrf::TagValue kBookDefaults[] = {
    {lrf::Tag::kRubyAlignAndAdjust, lrf::kRubyAlignStart + lrf::kRubyAdjustNone},
    {lrf::Tag::kRubyOverhang, lrf::kRubyOverhangNone},
    {lrf::Tag::kEmpDotsPosition, lrf::kPositionBefore},
    {lrf::Tag::kEmpDotsFontName, 0, u"Dutch801 Rm BT Roman"},
    {lrf::Tag::kEmpDotsCode, 0x2e},
    {lrf::Tag::kEmpLinePosition, lrf::kPositionBefore},
    {lrf::Tag::kEmpLineType, lrf::kLineSolid},
    {lrf::Tag::kSetWaitProp, lrf::kWaitNoReplay},
};
// The header's type of a JPEG thumbnail.
constexpr uint16_t kThumbnailTypeJpeg = 17;

// The image stream type of each kind of image data.
struct ImageKind {
    std::string_view name;  // as SniffImageType names it
    uint8_t streamType;
};

constexpr ImageKind kImageKinds[] = {
    {"JPEG", lrf::kImageTypeJpeg}, {"PNG", lrf::kImageTypePng}, {"BMP", lrf::kImageTypeBmp}, {"GIF", lrf::kImageTypeGif},
};

uint8_t ImageTypeOf(std::string_view sniffed) {
    for (const ImageKind& kind : kImageKinds) {
        if (kind.name == sniffed) return kind.streamType;
    }
    return 0;
}

uint32_t FileSizeLow32(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? static_cast<uint32_t>(st.st_size) : 0;
}

// The input file's name without its extension ("book.fb2.zip" gives "book").
WString FileTitle(const std::string& path) {
    std::filesystem::path name = std::filesystem::path(path).filename();
    const auto lowerExtension = [&] {
        std::string ext = name.extension().string();
        for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return ext;
    };
    const bool zipped = lowerExtension() == ".zip";
    if (zipped) name = name.stem();
    if (!zipped || lowerExtension() == ".fb2") name = name.stem();
    return Widen(name.string());
}

// Registers one decoded binary as an image stream. The type comes from the
// data: readers refuse a book whose image stream has no or the wrong type.
// Data of any other kind is reported and left out; the book goes on.
void RegisterImage(fb2::Conversion& cv, const WString& tag, std::vector<uint8_t>& bytes) {
    const std::string id = Narrow(fb2::Fb2Attribute(tag, u"id"));
    FixPngTransparency(bytes, 0xFFFFFF);
    cv.textEstimate -= static_cast<uint32_t>(bytes.size());
    const ImageSize size = ProbeImageSize(bytes);
    const std::string_view type = SniffImageType(bytes);
    if (size.width < 1 || size.height < 1 || type.empty()) {
        cv.console.Line("\nError: Binary " + id + " is no PNG, JPEG, GIF or BMP image; left out");
        return;
    }
    lrf::ImageStreamRecord stream;
    stream.objid = id;
    stream.imageType = ImageTypeOf(type);
    stream.width = size.width;
    stream.height = size.height;
    lrf::BuildImageStream(cv.store, std::move(stream), bytes);
    ++cv.imageCount;
}

// Every binary element after the description: decoded, probed, registered.
void ReadImages(fb2::Conversion& cv) {
    WString tag;
    while (ReadTag(*cv.reader, tag)) {
        const fb2::Fb2Tag parsed = fb2::ParseFb2Tag(tag);
        if (parsed.name != u"binary" || parsed.form != fb2::TagForm::Start || !parsed.hasAttributes) continue;
        const WString base64 = cv.reader->ReadToStr("<", true, false);
        std::vector<uint8_t> bytes = Base64Decode(base64);
        RegisterImage(cv, tag, bytes);
    }
}

// The library thumbnail, made from the cover: its first image stream of the
// cover's id. GIF and BMP covers have none; a cover that cannot be decoded is
// reported and the book goes on without one.
void MakeBookThumbnail(fb2::Conversion& cv) {
    if (!cv.settings.General.Thumbnail || cv.description.CoverImageId.empty()) return;
    const std::string id = Narrow(cv.description.CoverImageId);
    const auto& streams = cv.store.imageStreams;
    const auto cover = std::find_if(streams.begin(), streams.end(), [&](const auto& s) { return s.objid == id; });
    if (cover == streams.end() || cover->imageType == lrf::kImageTypeGif || cover->imageType == lrf::kImageTypeBmp) return;
    const std::span<const uint8_t> bytes(cv.store.imageStore.data() + cover->data.start, cover->data.size());
    Thumbnail thumbnail;
    std::string error;
    if (!MakeThumbnail(bytes, thumbnail, error)) {
        cv.console.Line("\nError: No thumbnail of the cover " + id + ": " + error);
        return;
    }
    cv.store.thumbnail = std::move(thumbnail.jpeg);
    cv.store.thumbnailType = kThumbnailTypeJpeg;
}

void ConvertBodies(fb2::Conversion& cv) {
    WString tag;
    while (ReadTag(*cv.reader, tag)) {
        const fb2::Fb2Tag parsed = fb2::ParseFb2Tag(tag);
        if (parsed.name != u"body" || parsed.form != fb2::TagForm::Start) continue;
        // Notes and commentary are reached by links: note style, no contents entries.
        if (Contains(tag, u"notes") || Contains(tag, u"comments")) fb2::StartNotesBody(cv);
        fb2::ConvertElement(cv, 0, tag);
    }
}

// The book-wide elements that follow the last body.
void AddClosingElements(fb2::Conversion& cv) {
    fb2::ResolveAnchors(cv);
    cv.description.DescriptionPage = u"<P>" + cv.description.DescriptionPage + u"</P>";
    fb2::EmitDescriptionPage(cv);
    lrf::ApplyBookSetting(cv.store, kBookSetting);
    lrf::BuildBookDefaults(cv.store, cv.console, kBookDefaults);
    cv.store.bookInfoXml = cv.description.BookInfoXml;
    fb2::RegisterTocEntries(cv);
}

// Steps 3 to 12 of a conversion, on an open reader.
Status ConvertBook(fb2::Conversion& cv, const RunState& run) {
    fb2::DefineStyles(cv);
    cv.textEstimate = FileSizeLow32(run.workFilePath);
    cv.console.SetProgress(5);

    switch (fb2::ReadDescription(cv)) {
        case fb2::DescriptionEnd::kClosed: break;
        case fb2::DescriptionEnd::kMissing:
            cv.console.Line("\nError: No description");
            fb2::DescribeFromBody(cv, FileTitle(run.inputPath));
            break;
        case fb2::DescriptionEnd::kUnclosed: return Fail(kExitBadHeader);
    }
    ReadImages(cv);
    MakeBookThumbnail(cv);

    cv.reader->Reset();
    cv.progressUnit = static_cast<int>(RoundHalfEven(cv.textEstimate / 10.0 / 2.0));
    // Room for twice the file's text, so that the text store is not copied
    // while it grows (paragraph markup is a little longer than the FB2's);
    // capacity that is never written costs no memory.
    cv.store.textStore.reserve(2 * size_t{cv.textEstimate});

    fb2::EmitCover(cv);
    fb2::EmitBlock(cv, fb2::BlockKind::kBookTitle, {});
    fb2::BuildHeaderFooterSources(cv);
    ConvertBodies(cv);
    AddClosingElements(cv);

    lrf::AssignObjectIds(cv.store);
    lrf::LinkObjects(cv.store, cv.console);
    const int p = cv.console.progressPercent;
    cv.console.SetProgress(p + static_cast<int>(RoundHalfEven((100 - p) / 4.0)));
    return lrf::WriteLrfFile(cv.store, cv.console, run.outputPath, run.inputPath);
}

}  // namespace

Status RunConversion(fb2::Conversion& cv, RunState& run) {
    // The reader is closed and the extracted file removed however the
    // conversion ends, also when the reader throws.
    struct CleanUp {
        fb2::Conversion& cv;
        RunState& run;
        ~CleanUp() {
            cv.reader.reset();
            RemoveWorkFiles(run);
        }
    } cleanUp{cv, run};
    Status status = DetectInput(cv, run);
    if (status.ok()) status = ConvertBook(cv, run);
    if (status.ok()) status.message = ExitMessage(kExitDone);
    return status;
}

}  // namespace tavorin
