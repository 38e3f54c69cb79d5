// One book's conversion: the parts the conversion of one FB2 book into one
// LRF book reads and changes. Each part belongs to the file that changes it;
// a function takes the parts it needs, and only the body loop and the block
// emitter, with the title, image and title-page emitters it dispatches to,
// take the whole. A new book is a new Conversion, so conversions on several
// threads share nothing.
#pragma once

#include "fb2/body.h"
#include "fb2/description.h"
#include "fb2/headers_footers.h"
#include "fb2/images.h"
#include "fb2/notes.h"
#include "fb2/pages.h"
#include "fb2/progress.h"
#include "fb2/styles.h"
#include "fb2/table_of_contents.h"
#include "lrf/store/object_store.h"
#include "settings/conversion_settings.h"
#include "text/console.h"
#include "text/unicode_reader.h"

namespace tavorin::fb2 {

struct Conversion {
    Conversion(const ConversionSettings& bookSettings, lrf::ObjectStore& bookStore, Console& bookConsole,
               TUnicodeFileReader* bookReader = nullptr)
        : settings(bookSettings), store(bookStore), console(bookConsole), reader(bookReader) {}

    const ConversionSettings& settings;  // with its style table completed (CompleteStyleTable)
    lrf::ObjectStore& store;
    Console& console;  // progress and error lines, with the percentage printed last
    TUnicodeFileReader* reader;  // the FB2 text

    StyleValues styles;           // styles.cpp
    BookDescription description;  // description.cpp
    PageCursor cursor;            // pages.cpp
    BodyState body;               // body.cpp
    LinkTable links;              // notes.cpp
    RunningHeaders running;       // headers_footers.cpp
    ImageCatalogue images;        // images.cpp
    Contents contents;            // table_of_contents.cpp
    Progress progress;            // progress.cpp
};

}  // namespace tavorin::fb2
