// UTF-16 text helpers shared by every subsystem: the layout markup, the FB2
// text and the book text are UTF-16 strings (WString); settings values, paths
// and labels are 8-bit strings holding UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tavorin {

using WString = std::u16string;
using WStringView = std::u16string_view;

// UTF-8 to UTF-16. Bytes that do not form valid UTF-8 are taken as Latin-1
// characters, so no input is lost.
WString Widen(std::string_view text);

// UTF-16 to UTF-8. A lone surrogate becomes U+FFFD.
std::string Narrow(WStringView text);

// Decimal text of a number.
WString ToWString(int64_t value);

inline bool Contains(WStringView text, WStringView part) { return text.find(part) != WStringView::npos; }
inline bool StartsWith(WStringView text, WStringView part) { return text.substr(0, part.size()) == part; }
inline bool EndsWith(WStringView text, WStringView part) {
    return text.size() >= part.size() && text.substr(text.size() - part.size()) == part;
}

// True when the text holds only characters of code U+0020 and below.
inline bool IsBlank(WStringView text) {
    for (const char16_t c : text) {
        if (c > u' ') return false;
    }
    return true;
}

// Removes characters of code U+0020 and below from both ends.
WString Trim(WStringView text);
WString TrimLeft(WStringView text);
WString TrimRight(WStringView text);
std::string Trim8(std::string_view text);

// Replaces every occurrence of `from` (left to right, not rescanning the
// replacement) by `to`. Linear in the length of the text.
void ReplaceAll(WString& text, WStringView from, WStringView to);

// Replaces the first occurrence; returns whether one was found.
bool ReplaceFirst(WString& text, WStringView from, WStringView to);

// Deletes every occurrence of each of the given characters.
void EraseChars(WString& text, WStringView chars);

// Parses an optionally signed decimal integer that fills the whole text.
// Returns false for empty text, stray characters or overflow of int64.
bool ParseInt(WStringView text, int64_t& value);
bool ParseInt8(std::string_view text, int64_t& value);

}  // namespace tavorin
