// UTF-16 text helpers.
#include "text/wide.h"

#include <charconv>

namespace tavorin {

WString Widen(std::string_view text) {
    WString out;
    out.reserve(text.size());
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        if (b0 < 0x80) {
            out.push_back(b0);
            ++i;
            continue;
        }
        int len = 0;
        uint32_t cp = 0;
        if (b0 >= 0xC2 && b0 <= 0xDF) { len = 2; cp = b0 & 0x1F; }
        else if (b0 >= 0xE0 && b0 <= 0xEF) { len = 3; cp = b0 & 0x0F; }
        else if (b0 >= 0xF0 && b0 <= 0xF4) { len = 4; cp = b0 & 0x07; }
        bool ok = len > 0 && i + len <= n;
        for (int k = 1; ok && k < len; ++k) {
            const auto b = static_cast<unsigned char>(text[i + k]);
            if ((b & 0xC0) != 0x80) ok = false;
            else cp = (cp << 6) | (b & 0x3F);
        }
        if (ok && ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
                   (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)))) {
            ok = false;
        }
        if (!ok) {
            out.push_back(b0);  // Latin-1 fallback
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += len;
    }
    return out;
}

std::string Narrow(WStringView text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

WString ToWString(int64_t value) {
    const std::string s = std::to_string(value);
    return WString(s.begin(), s.end());
}

WString TrimLeft(WStringView text) {
    size_t b = 0;
    while (b < text.size() && text[b] <= u' ') ++b;
    return WString(text.substr(b));
}

WString TrimRight(WStringView text) {
    size_t e = text.size();
    while (e > 0 && text[e - 1] <= u' ') --e;
    return WString(text.substr(0, e));
}

WString Trim(WStringView text) {
    size_t b = 0, e = text.size();
    while (b < e && text[b] <= u' ') ++b;
    while (e > b && text[e - 1] <= u' ') --e;
    return WString(text.substr(b, e - b));
}

std::string Trim8(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
    return std::string(text.substr(b, e - b));
}

void ReplaceAll(WString& text, WStringView from, WStringView to) {
    if (from.empty()) return;
    size_t pos = text.find(from);
    if (pos == WString::npos) return;
    WString out;
    out.reserve(text.size());
    size_t last = 0;
    while (pos != WString::npos) {
        out.append(text, last, pos - last);
        out.append(to);
        last = pos + from.size();
        pos = text.find(from, last);
    }
    out.append(text, last, WString::npos);
    text.swap(out);
}

bool ReplaceFirst(WString& text, WStringView from, WStringView to) {
    const size_t pos = text.find(from);
    if (pos == WString::npos) return false;
    text.replace(pos, from.size(), to);
    return true;
}

void EraseChars(WString& text, WStringView chars) {
    size_t w = 0;
    for (const char16_t c : text) {
        if (chars.find(c) == WStringView::npos) text[w++] = c;
    }
    text.resize(w);
}

bool ParseInt8(std::string_view text, int64_t& value) {
    if (text.empty()) return false;
    size_t i = 0;
    bool negative = false;
    if (text[0] == '+' || text[0] == '-') {
        negative = text[0] == '-';
        i = 1;
    }
    if (i >= text.size()) return false;
    uint64_t magnitude = 0;
    const auto [ptr, ec] = std::from_chars(text.data() + i, text.data() + text.size(), magnitude);
    if (ec != std::errc() || ptr != text.data() + text.size()) return false;
    if (negative) {
        if (magnitude > uint64_t(INT64_MAX) + 1) return false;
        value = static_cast<int64_t>(0 - magnitude);
    } else {
        if (magnitude > uint64_t(INT64_MAX)) return false;
        value = static_cast<int64_t>(magnitude);
    }
    return true;
}

bool ParseInt(WStringView text, int64_t& value) {
    std::string narrow;
    narrow.reserve(text.size());
    for (const char16_t c : text) {
        if (c > 0x7F) return false;
        narrow.push_back(static_cast<char>(c));
    }
    return ParseInt8(narrow, value);
}

}  // namespace tavorin
