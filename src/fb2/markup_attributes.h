// The screen the book is laid out for, shared by the style, block and image code.
#pragma once


namespace tavorin::fb2 {

// The screen of the reader, in pixels.
inline constexpr int kScreenWidth = 584;
inline constexpr int kScreenHeight = 754;

}  // namespace tavorin::fb2
