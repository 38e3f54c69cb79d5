// The one rounding rule of the converter: to the nearest integer, halves to
// even (progress steps, scaled sizes, page positions).
#pragma once

#include <cmath>
#include <cstdint>

namespace tavorin {

inline int64_t RoundHalfEven(double value) { return static_cast<int64_t>(std::nearbyint(value)); }

}  // namespace tavorin
