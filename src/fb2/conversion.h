// One book's conversion: everything the conversion of one FB2 book into one
// LRF book reads and changes, from the settings to the object store. Every
// fb2 function that needs part of it takes it as a parameter; a new book is
// a new Conversion, so conversions on several threads share nothing.
#pragma once

#include <cstdint>
#include <memory>

#include "fb2/conversion_state.h"
#include "fb2/description.h"
#include "lrf/store/object_store.h"
#include "settings/conversion_settings.h"
#include "text/console.h"
#include "text/unicode_reader.h"

namespace tavorin::fb2 {

struct Conversion {
    explicit Conversion(ConsoleSink& sink, ConversionSettings bookSettings = BuiltInSettings())
        : settings(std::move(bookSettings)), console{sink} {}

    ConversionSettings settings;
    std::unique_ptr<TUnicodeFileReader> reader;  // the FB2 text, once the input is open
    BookDescription description;
    ConversionState body;
    lrf::ObjectStore store;
    Console console;            // progress and error lines, with the percentage printed last

    uint32_t textEstimate = 0;  // bytes of the file minus the bytes of decoded images
    int progressUnit = 0;       // characters of body text per progress step
    int imageCount = 0;         // image streams registered
};

}  // namespace tavorin::fb2
