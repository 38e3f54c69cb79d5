// Progress of one conversion: the text estimate and the percentage printed
// as body text is emitted.
#include "fb2/progress.h"

#include <algorithm>

#include "text/rounding.h"

namespace tavorin::fb2 {

void EstimateText(Progress& progress, uint32_t fileSize) { progress.TextEstimate = fileSize; }

void DiscountImage(Progress& progress, size_t imageBytes) {
    progress.TextEstimate -= static_cast<uint32_t>(imageBytes);
}

void StartBodyProgress(Progress& progress) {
    progress.ProgressUnit = static_cast<int>(RoundHalfEven(progress.TextEstimate / 10.0 / 2.0));
}

// One long block can pass several steps: the highest step reached is printed.
void CountBodyText(Progress& progress, Console& console, size_t length) {
    progress.CountedChars += static_cast<int64_t>(length);
    if (progress.ProgressUnit <= 0) return;
    const int64_t step = progress.CountedChars / progress.ProgressUnit;
    if (step < progress.ProgressStep) return;
    console.SetProgress(static_cast<int>(std::min<int64_t>(step * 8, 80)));
    progress.ProgressStep = static_cast<int>(step) + 1;
}

}  // namespace tavorin::fb2
