// The binaries of the book: the images after the description, decoded and
// registered as image streams, and the thumbnail made from the cover.
#pragma once

#include "fb2/progress.h"
#include "settings/conversion_settings.h"
#include "text/console.h"
#include "text/unicode_reader.h"
#include "text/wide.h"

namespace tavorin::lrf {
struct ObjectStore;
}

namespace tavorin::fb2 {

// Every binary element from the reader's place on: decoded, probed and
// registered; their bytes are taken off the text estimate.
void ReadImages(TUnicodeFileReader& reader, lrf::ObjectStore& store, Console& console, Progress& progress);

// The library thumbnail, made from the first image stream of the cover's id.
void MakeBookThumbnail(lrf::ObjectStore& store, Console& console, const ConversionSettings& settings,
                       WStringView coverImageId);

}  // namespace tavorin::fb2
