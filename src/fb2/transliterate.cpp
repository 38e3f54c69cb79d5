// Latin transliteration of Cyrillic metadata (title and author) for readers
// that show only Latin letters.
#include "fb2/transliterate.h"

#include <array>
#include <string_view>

namespace tavorin::fb2 {

namespace {

// Latin groups of the Russian letters а..я (U+0430..U+044F); the hard sign
// has none.
constexpr std::array<std::string_view, 32> kLowerLatin = {
    "a", "b", "v", "g", "d", "e", "zh", "z", "i", "ii", "k", "l", "m", "n", "o", "p",
    "r", "s", "t", "u", "f", "h", "c", "ch", "sh", "shch", "", "y", "'", "e", "yu", "ya",
};
// А..Я (U+0410..U+042F).
constexpr std::array<std::string_view, 32> kUpperLatin = {
    "A", "B", "V", "G", "D", "E", "Zh", "Z", "I", "Ii", "K", "L", "M", "N", "O", "P",
    "R", "S", "T", "U", "F", "H", "C", "Ch", "Sh", "Shch", "", "Y", "'", "E", "Yu", "Ya",
};

constexpr char16_t kUpperA = 0x0410;
constexpr char16_t kLowerA = 0x0430;
constexpr char16_t kUpperYo = 0x0401;
constexpr char16_t kLowerYo = 0x0451;

// The Latin group of a character of 256 or above; empty when it has none.
std::string_view LatinGroup(char16_t c) {
    if (c >= kUpperA && c < kUpperA + 32) return kUpperLatin[c - kUpperA];
    if (c >= kLowerA && c < kLowerA + 32) return kLowerLatin[c - kLowerA];
    if (c == kUpperYo) return "E";
    if (c == kLowerYo) return "e";
    return {};
}

}  // namespace

std::string Transliterate(WStringView text) {
    std::string out;
    out.reserve(text.size());
    for (const char16_t c : text) {
        if (c >= 256) {
            out += LatinGroup(c);
        } else if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else {  // Latin-1 as two bytes of UTF-8
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

}  // namespace tavorin::fb2
