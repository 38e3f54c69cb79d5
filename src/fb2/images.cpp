// The cover page and the images of the body: an image between blocks becomes
// an image block centred on the page, an image inside a line of text an image
// object that the line's Plot shows; the cover fills a front page of its own.
#include "fb2/images.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "fb2/block_emitter.h"
#include "fb2/conversion.h"
#include "fb2/fb2_tag.h"
#include "fb2/id_labels.h"
#include "fb2/markup_attributes.h"
#include "lrf/store/builders.h"
#include "lrf/store/object_store.h"
#include "text/rounding.h"

namespace tavorin::fb2 {

namespace {

constexpr size_t kImageRefCapacity = 100;

int64_t RoundedHalf(int64_t value) { return RoundHalfEven(static_cast<double>(value) / 2.0); }

// round(numerator / denominator); exact halves round to even. The quotient
// of two integers is a half only when it is exactly one, so the division in
// double precision cannot tip it either way.
int64_t RoundedRatio(int64_t numerator, int64_t denominator) {
    return RoundHalfEven(static_cast<double>(numerator) / static_cast<double>(denominator));
}

// Scales a width x height image down, aspect kept, to fit maxWidth x
// maxHeight; one that fits, or a room without size, leaves it as it is.
void FitWithin(int64_t maxWidth, int64_t maxHeight, int64_t& width, int64_t& height) {
    if (maxWidth <= 0 || maxHeight <= 0 || (width <= maxWidth && height <= maxHeight)) return;
    const int64_t w = width, h = height;
    if (maxWidth * h <= maxHeight * w) {
        width = maxWidth;
        height = std::max<int64_t>(1, RoundedRatio(maxWidth * h, w));
    } else {
        width = std::max<int64_t>(1, RoundedRatio(maxHeight * w, h));
        height = maxHeight;
    }
}

// A Plot gives the size of its picture in 1/720 inch of the readers' 166 dpi
// screens, not in pixels as an image block does: calibre's reader draws a
// Plot of 720 units as 166 pixels.
int64_t PlotUnits(int64_t pixels) { return RoundedRatio(pixels * 720, 166); }

// The registered image an image tag names, or nullptr.
const lrf::ImageStreamRecord* ReferencedImage(ImageCatalogue& images, const lrf::ObjectStore& store, WStringView tag) {
    // Found by name, so both "l:href" and "xlink:href" match.
    WString ref = Fb2Attribute(tag, u"href").substr(0, kImageRefCapacity);
    if (StartsWith(ref, u"#")) ref.erase(0, 1);
    return ref.empty() ? nullptr : FindImage(images, store, Narrow(ref));
}

}  // namespace

// The index is extended over the streams registered since the last lookup.
const lrf::ImageStreamRecord* FindImage(ImageCatalogue& images, const lrf::ObjectStore& store, const std::string& id) {
    const auto& streams = store.imageStreams;
    if (images.ImagesIndexed > streams.size()) {  // the store was emptied since
        images.ImageIndex.clear();
        images.ImagesIndexed = 0;
    }
    for (; images.ImagesIndexed < streams.size(); ++images.ImagesIndexed) {
        images.ImageIndex.try_emplace(streams[images.ImagesIndexed].objid, images.ImagesIndexed);
    }
    const auto found = images.ImageIndex.find(id);
    return found == images.ImageIndex.end() ? nullptr : &streams[found->second];
}

void PlaceImage(Conversion& cv, WStringView tag) {
    // Found by name, so both "l:href" and "xlink:href" match.
    WString ref = Fb2Attribute(tag, u"href").substr(0, kImageRefCapacity);
    if (StartsWith(ref, u"#")) ref.erase(0, 1);
    if (!ref.empty()) EmitImage(cv, ref);
}

void EmitCover(Conversion& cv) {
    if (cv.description.CoverImageId.empty()) return;
    // A cover that names no image of the book gets no front page: it would
    // stay empty (and some readers fail on a page without content).
    const std::string id = Narrow(cv.description.CoverImageId);
    if (FindImage(cv.images, cv.store, id) == nullptr) {
        cv.console.Line("\nError: The cover names no image of the book: " + id + "; no cover page");
        return;
    }
    StartFrontPage(cv.cursor, cv.store, cv.styles);
    EmitImage(cv, cv.description.CoverImageId);
}

void InlineImage(ImageCatalogue& images, lrf::ObjectStore& store, const ConversionSettings& settings, WStringView tag,
                 Fragment& out) {
    const lrf::ImageStreamRecord* image = ReferencedImage(images, store, tag);
    if (image == nullptr || image->width < 1 || image->height < 1) return;
    // A line holding a picture stays a line: at most a third of the text
    // area high, and no wider than it.
    const TextArea area = PageTextArea(settings.HeaderFooter, settings.PageLayout);
    lrf::ImagePlacement placement;
    placement.stream = static_cast<uint32_t>(image - store.imageStreams.data());
    placement.x1 = placement.width = image->width;
    placement.y1 = placement.height = image->height;
    FitWithin(area.width, area.height / 3, placement.width, placement.height);
    const uint32_t number = lrf::BuildInlineImage(store, placement);
    const int64_t width = PlotUnits(placement.width), height = PlotUnits(placement.height);
    out.content.Plot(number, width, height);
    // Its weight in the measure: the digits of its three numbers and the rest.
    constexpr size_t kPlotWeight = 34;
    out.weight += kPlotWeight + ToWString(number).size() + ToWString(width).size() + ToWString(height).size();
}

std::optional<lrf::ImagePlacement> ImageBlockPlacement(ImageCatalogue& images, const lrf::ObjectStore& store,
                                                       const ConversionSettings& settings, const PageCursor& cursor,
                                                       WStringView imageRef, WStringView coverId, int& xSpace,
                                                       int& ySpace) {
    xSpace = ySpace = -1;
    const lrf::ImageStreamRecord* image = FindImage(images, store, Narrow(imageRef));
    if (image == nullptr) return {};
    const int64_t w = image->width;
    const int64_t h = image->height;
    if (w < 1 || h < 1) return {};

    const TPageLayoutSettings& layout = settings.PageLayout;
    const int64_t pageWidth = int64_t{kScreenWidth} - layout.Left - layout.Right;
    const int64_t pageHeight = int64_t{kScreenHeight} - layout.Top - layout.Bottom;
    // The front page is the current page and shows the cover image.
    const bool cover = cursor.PageCounter == 1 && imageRef == coverId;

    int64_t width = w, height = h;
    lrf::ImagePlacement placement;
    placement.stream = static_cast<uint32_t>(image - store.imageStreams.data());
    if (cover && settings.General.CoverImageAdjust) {
        // Fit the screen by the smaller of 584 / w and 754 / h.
        if (kScreenWidth * h <= kScreenHeight * w) {
            width = kScreenWidth;
            height = RoundedRatio(kScreenWidth * h, w);
        } else {
            width = RoundedRatio(kScreenHeight * w, h);
            height = kScreenHeight;
        }
        placement.x0 = 600;
        placement.y0 = 800;
    } else {
        // An image larger than the text area is shown scaled down to fit it;
        // its stream keeps every pixel.
        const TextArea area = PageTextArea(settings.HeaderFooter, layout);
        if (!cover) FitWithin(area.width, area.height, width, height);
        placement.x1 = w;
        placement.y1 = h;
    }
    placement.width = width;
    placement.height = height;
    xSpace = static_cast<int>(RoundedHalf(pageWidth - width));
    ySpace = cover ? static_cast<int>(RoundedHalf(pageHeight - height)) : 0;
    return placement;
}

void EmitImageBlock(Conversion& cv, WStringView imageRef) {
    int xSpace = -1, ySpace = -1;
    std::optional<lrf::ImagePlacement> placement = ImageBlockPlacement(
        cv.images, cv.store, cv.settings, cv.cursor, imageRef, cv.description.CoverImageId, xSpace, ySpace);
    if (!placement) return;  // no such image: the id waits for the next block

    // An image block takes the element's id like a text block.
    const WString& id = cv.links.PendingTarget;
    placement->blockStyle = cv.styles.BlockStyle[static_cast<size_t>(StyleKind::kImage)];
    using lrf::Tag;
    const lrf::TagValue blockTags[] = {{Tag::kBlockWidth, placement->width},
                                       {Tag::kBlockHeight, placement->height},
                                       {Tag::kTopSkip, 0},
                                       {Tag::kSideMargin, 0}};
    EmitBlockSpace(cv.store, xSpace, ySpace);
    const uint32_t block = lrf::BuildImageBlock(cv.store, cv.console, *placement, blockTags);
    BlockBuilt(cv.links, block, id);
    if (!id.empty()) {
        NoteTargetEmitted(cv.links, id, cv.cursor.PageCounter - 1);
        FirstBlockBuilt(cv.links);
    }
}

}  // namespace tavorin::fb2
