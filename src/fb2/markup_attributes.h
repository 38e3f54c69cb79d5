// Pieces of layout markup shared by the style, block and image code: the
// screen the book is laid out for and the writing of a numeric attribute.
#pragma once

#include <cstdint>

#include "text/wide.h"

namespace tavorin::fb2 {

// The screen of the reader, in pixels.
inline constexpr int kScreenWidth = 584;
inline constexpr int kScreenHeight = 754;

// ` name="value"`, with the leading blank that separates it from the attribute before.
inline WString NumberAttribute(WStringView name, int64_t value) {
    WString text = u" ";
    text.append(name).append(u"=\"").append(ToWString(value)).append(u"\"");
    return text;
}

}  // namespace tavorin::fb2
