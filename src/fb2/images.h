// The cover page and the images of the body, found in the image catalogue.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>

#include "fb2/element_buffer.h"
#include "lrf/store/builders.h"
#include "settings/conversion_settings.h"
#include "text/wide.h"

namespace tavorin::fb2 {

struct Conversion;
struct PageCursor;

// Index of the first image stream record of each id, over the first
// ImagesIndexed records of the store; extended as images are looked up (images.cpp).
struct ImageCatalogue {
    std::unordered_map<std::string, size_t> ImageIndex;
    size_t ImagesIndexed = 0;
};

// The first registered image stream with this id, or nullptr.
const lrf::ImageStreamRecord* FindImage(ImageCatalogue& images, const lrf::ObjectStore& store, const std::string& id);

// An image inside a line of text, named by its FB2 tag: the image object is
// built, and the picture that shows it in the line appended to `out`; nothing
// when the book has no such image.
void InlineImage(ImageCatalogue& images, lrf::ObjectStore& store, const ConversionSettings& settings, WStringView tag,
                 Fragment& out);
// Handler of "<image " in the body.
void PlaceImage(Conversion& cv, WStringView tag);
void EmitCover(Conversion& cv);
// Rectangle and size of the image block for the image `imageRef` (its labels
// are left to the caller); none when no image of that id was registered. Sets
// the x and y space (-1 when not set). On the front page the cover `coverId`
// fills the screen.
std::optional<lrf::ImagePlacement> ImageBlockPlacement(ImageCatalogue& images, const lrf::ObjectStore& store,
                                                       const ConversionSettings& settings, const PageCursor& cursor,
                                                       WStringView imageRef, WStringView coverId, int& xSpace,
                                                       int& ySpace);
// The image block showing the image `imageRef` on the current page; nothing
// (and the pending id kept) when the book has no such image.
void EmitImageBlock(Conversion& cv, WStringView imageRef);

}  // namespace tavorin::fb2
