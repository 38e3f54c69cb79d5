// The byte-to-UTF-16 tables of the single-byte code pages, one entry per byte.
#pragma once

namespace tavorin {

extern const char16_t kISO8859_1Table[256];
extern const char16_t kWindows1250Table[256];
extern const char16_t kWindows1251Table[256];
extern const char16_t kWindows1252Table[256];
extern const char16_t kKOI8_RTable[256];

}  // namespace tavorin
