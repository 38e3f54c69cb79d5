// The cover page and the images of the body.
#pragma once

#include "text/wide.h"

namespace tavorin::fb2 {

// Handler of "<image " in the body.
void PlaceImage(WStringView tag);
void EmitCover();
// Attribute string of the image block for ImageRef; empty when no image of
// that id was registered. Sets the x and y space (-1 when not set).
WString ImageBlockAttributes(int& xSpace, int& ySpace);
// Kind 4 of EmitBlock.
void EmitImageBlock();

}  // namespace tavorin::fb2
