// Progress of one conversion: the size of the book's text, estimated from the
// file, and the body text emitted so far, shown as a percentage.
#pragma once

#include <cstddef>
#include <cstdint>

#include "text/console.h"

namespace tavorin::fb2 {

struct Progress {
    uint32_t TextEstimate = 0;  // bytes of the file minus the bytes of decoded images
    int ProgressUnit = 0;       // characters of body text per progress step; 0 until the body starts
    int64_t CountedChars = 0;
    int ProgressStep = 1;
};

// Starts the estimate at the size of the file.
void EstimateText(Progress& progress, uint32_t fileSize);
// The bytes of a decoded image are no text.
void DiscountImage(Progress& progress, size_t imageBytes);
// Fixes the progress unit before the first block of the book.
void StartBodyProgress(Progress& progress);
// Counts emitted body text; prints eight percent per progress unit, at most 80.
void CountBodyText(Progress& progress, Console& console, size_t length);

}  // namespace tavorin::fb2
