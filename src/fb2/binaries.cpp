// The binaries of the book: each binary element is decoded from base64, its
// type and size read from its bytes, and registered as an image stream; the
// cover also gives the book's thumbnail.
#include "fb2/binaries.h"

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "codec/base64.h"
#include "codec/image_probe.h"
#include "codec/thumbnail.h"
#include "fb2/fb2_tag.h"
#include "lrf/store/builders.h"
#include "lrf/store/object_store.h"

namespace tavorin::fb2 {
namespace {

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

// Registers one decoded binary as an image stream. The type comes from the
// data: readers refuse a book whose image stream has no or the wrong type.
// Data of any other kind is reported and left out; the book goes on.
void RegisterImage(lrf::ObjectStore& store, Console& console, const WString& tag, std::vector<uint8_t>& bytes) {
    const std::string id = Narrow(Fb2Attribute(tag, u"id"));
    FixPngTransparency(bytes, 0xFFFFFF);
    const ImageSize size = ProbeImageSize(bytes);
    const std::string_view type = SniffImageType(bytes);
    if (size.width < 1 || size.height < 1 || type.empty()) {
        console.Line("\nError: Binary " + id + " is no PNG, JPEG, GIF or BMP image; left out");
        return;
    }
    lrf::ImageStreamRecord stream;
    stream.objid = id;
    stream.imageType = ImageTypeOf(type);
    stream.width = size.width;
    stream.height = size.height;
    lrf::BuildImageStream(store, std::move(stream), bytes);
}

}  // namespace

void ReadImages(TUnicodeFileReader& reader, lrf::ObjectStore& store, Console& console, Progress& progress) {
    WString tag;
    while (ReadTag(reader, tag)) {
        const Fb2Tag parsed = ParseFb2Tag(tag);
        if (parsed.name != u"binary" || parsed.form != TagForm::Start || !parsed.hasAttributes) continue;
        const WString base64 = reader.ReadToStr("<", true, false);
        std::vector<uint8_t> bytes = Base64Decode(base64);
        RegisterImage(store, console, tag, bytes);
        DiscountImage(progress, bytes.size());
    }
}

// A cover that cannot be decoded, or would cost too much to, is reported and
// the book goes on without a thumbnail.
void MakeBookThumbnail(lrf::ObjectStore& store, Console& console, const ConversionSettings& settings,
                       WStringView coverImageId) {
    if (!settings.General.Thumbnail || coverImageId.empty()) return;
    const std::string id = Narrow(coverImageId);
    const auto& streams = store.imageStreams;
    const auto cover = std::find_if(streams.begin(), streams.end(), [&](const auto& s) { return s.objid == id; });
    if (cover == streams.end()) return;
    const std::span<const uint8_t> bytes(store.imageStore.data() + cover->data.start, cover->data.size());
    Thumbnail thumbnail;
    std::string error;
    if (!MakeThumbnail(bytes, thumbnail, error)) {
        console.Line("\nError: No thumbnail of the cover " + id + ": " + error);
        return;
    }
    store.thumbnail = std::move(thumbnail.jpeg);
    store.thumbnailType = kThumbnailTypeJpeg;
}

}  // namespace tavorin::fb2
