// The one way into the FB2 conversion: a whole FB2 document, read from an
// open reader, into the object store of one LRF book.
#pragma once

#include <cstdint>

#include "settings/conversion_settings.h"
#include "text/console.h"
#include "text/exit_codes.h"
#include "text/unicode_reader.h"
#include "text/wide.h"

namespace tavorin::lrf {
struct ObjectStore;
}

namespace tavorin::fb2 {

// What the conversion knows of the input besides its text.
struct DocumentSource {
    WString fileTitle;      // the file's name without extension: the title of a book without description
    uint32_t fileSize = 0;  // bytes of the FB2 file, the first estimate of its text
};

// Converts the document: styles, description, images and thumbnail, the cover
// and title pages, the bodies and notes, and the book-wide closing elements,
// all into `store`; the store is then ready to be linked and written. Fails
// with kExitBadHeader when the file ends inside the description.
Status ConvertDocument(TUnicodeFileReader& reader, const ConversionSettings& settings, lrf::ObjectStore& store,
                       Console& console, const DocumentSource& source);

}  // namespace tavorin::fb2
