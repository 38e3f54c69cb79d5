// The byte-to-UTF-16 tables of the single-byte code pages, one entry per byte.
#pragma once

namespace tavorin {

extern const char16_t kISO8859_1Table[256];
extern const char16_t kWindows1250Table[256];
extern const char16_t kWindows1251Table[256];
extern const char16_t kWindows1252Table[256];
extern const char16_t kKOI8_RTable[256];

// A C1 control character (U+0080 to U+009F) in a book stands for the
// Windows-1252 character of that code, as web browsers read it: U+0096 is an
// en dash. The five codes Windows-1252 leaves empty give 0 (dropped); any
// other character is returned as it is.
inline char16_t ReadC1AsWindows1252(char16_t c) {
    if (c < 0x80 || c > 0x9F) return c;
    const char16_t mapped = kWindows1252Table[c];
    return mapped == c ? 0 : mapped;
}

}  // namespace tavorin
