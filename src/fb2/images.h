// The cover page and the images of the body.
#pragma once

#include <optional>

#include "lrf/store/builders.h"
#include "text/wide.h"

namespace tavorin::fb2 {

struct Conversion;

// Handler of "<image " in the body.
void PlaceImage(Conversion& cv, WStringView tag);
void EmitCover(Conversion& cv);
// Rectangle and size of the image block for ImageRef (its labels are left to
// the caller); none when no image of that id was registered. Sets the x and
// y space (-1 when not set).
std::optional<lrf::ImagePlacement> ImageBlockPlacement(Conversion& cv, int& xSpace, int& ySpace);
// The image block (BlockKind::kImage).
void EmitImageBlock(Conversion& cv);

}  // namespace tavorin::fb2
