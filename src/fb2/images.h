// The cover page and the images of the body.
#pragma once

#include "text/wide.h"

namespace tavorin::fb2 {

struct Conversion;

// Handler of "<image " in the body.
void PlaceImage(Conversion& cv, WStringView tag);
void EmitCover(Conversion& cv);
// Attribute string of the image block for ImageRef; empty when no image of
// that id was registered. Sets the x and y space (-1 when not set).
WString ImageBlockAttributes(Conversion& cv, int& xSpace, int& ySpace);
// The image block (BlockKind::kImage).
void EmitImageBlock(Conversion& cv);

}  // namespace tavorin::fb2
