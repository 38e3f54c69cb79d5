// Splitting text into words and matching two word lists in order.
#include "support/e2e_words.h"

#include <algorithm>
#include <unordered_map>

namespace tavorin::test {

std::u32string Utf8ToUtf32(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            out += char32_t(lead);
            ++i;
            continue;
        }
        const size_t extra = lead >= 0xF0 && lead < 0xF8 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        if (extra == 0 || i + extra >= text.size()) {
            out += U'\uFFFD';
            ++i;
            continue;
        }
        char32_t c = lead & (0x3F >> extra);
        bool valid = true;
        for (size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            c = (c << 6) | (next & 0x3F);
        }
        if (!valid) {
            out += U'\uFFFD';
            ++i;
            continue;
        }
        out += c;
        i += extra + 1;
    }
    return out;
}

std::string Utf32ToUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char32_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

bool IsWordChar(char32_t c) {
    if (c < 0x80) return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z');
    if (c < 0xC0) return c == 0xAA || c == 0xB5 || c == 0xBA;  // Latin-1 punctuation and symbols
    if (c == 0xD7 || c == 0xF7) return false;
    if (c >= 0x2000 && c <= 0x2BFF) return false;  // punctuation, symbols, arrows, shapes
    if (c >= 0x3000 && c <= 0x303F) return false;  // CJK punctuation
    if (c >= 0xFE30 && c <= 0xFE4F) return false;  // CJK compatibility forms
    if (c >= 0xFF00 && c <= 0xFF0F) return false;  // full-width punctuation
    if (c >= 0xFF1A && c <= 0xFF20) return false;
    if (c >= 0xD800 && c <= 0xDFFF) return false;  // lone surrogates
    if (c == 0xFEFF || c == 0xFFFD) return false;
    if (c >= 0x1F000 && c <= 0x1FAFF) return false;  // emoji and pictographs
    return true;
}

// Han ideographs and kana: scripts written without blanks between words.
bool IsIdeograph(char32_t c) {
    return (c >= 0x3040 && c <= 0x30FF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x20000 && c <= 0x3FFFF);
}

std::vector<std::u32string> SplitWords(std::u32string_view text, const std::vector<uint8_t>* marks,
                                       std::vector<uint8_t>* wordMarks) {
    std::vector<std::u32string> words;
    std::u32string word;
    uint8_t mark = 0;
    const auto end = [&] {
        if (word.empty()) return;
        words.push_back(std::move(word));
        word.clear();
        if (wordMarks) wordMarks->push_back(mark);
        mark = 0;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char32_t c = text[i];
        if (c == 0xAD) continue;  // soft hyphen: invisible inside a word
        if (!IsWordChar(c) && !IsIdeograph(c)) {
            end();
            continue;
        }
        if (IsIdeograph(c)) end();
        word += c;
        if (marks && i < marks->size()) mark |= (*marks)[i];
        if (IsIdeograph(c)) end();
    }
    end();
    return words;
}

namespace {

using Places = std::unordered_map<std::u32string_view, std::vector<size_t>>;

// The first place of `word` at or after `from`, or npos.
size_t FirstPlace(const Places& places, std::u32string_view word, size_t from) {
    const auto it = places.find(word);
    if (it == places.end()) return std::u32string::npos;
    const auto at = std::lower_bound(it->second.begin(), it->second.end(), from);
    return at == it->second.end() ? std::u32string::npos : *at;
}

constexpr size_t kNear = 8;      // a match this close to the previous one is taken as it is
constexpr size_t kConfirm = 4;   // a farther one must be followed closely by this many expected words

}  // namespace

WordMatch MatchInOrder(const std::vector<std::u32string>& expected,
                       const std::vector<std::u32string>& actual) {
    Places places;
    for (size_t i = 0; i < actual.size(); ++i) places[actual[i]].push_back(i);

    // A far match counts only when the next words follow it closely: a lone
    // common word further on must not carry the match past the text.
    const auto confirmed = [&](size_t i, size_t at) {
        for (size_t k = 1; k <= kConfirm && i + k < expected.size(); ++k) {
            const size_t next = FirstPlace(places, expected[i + k], at + 1);
            if (next == std::u32string::npos || next - at > kNear) return false;
            at = next;
        }
        return true;
    };

    WordMatch match;
    size_t next = 0;  // first place in `actual` still free
    for (size_t i = 0; i < expected.size(); ++i) {
        const size_t at = FirstPlace(places, expected[i], next);
        if (at != std::u32string::npos && (at - next <= kNear || confirmed(i, at))) {
            next = at + 1;
            ++match.found;
            match.places.push_back(at);
        } else {
            match.missing.push_back(i);
            match.places.push_back(std::u32string::npos);
        }
    }
    return match;
}

std::string DescribeMissing(const WordMatch& match, const std::vector<std::u32string>& expected,
                            size_t maxRuns) {
    std::string out;
    size_t runs = 0;
    for (size_t k = 0; k < match.missing.size() && runs < maxRuns;) {
        size_t end = k + 1;
        while (end < match.missing.size() && match.missing[end] == match.missing[end - 1] + 1) ++end;
        out += "\n  from word " + std::to_string(match.missing[k]) + " (after \"";
        for (size_t j = match.missing[k] >= 4 ? match.missing[k] - 4 : 0; j < match.missing[k]; ++j)
            out += Utf32ToUtf8(expected[j]) + (j + 1 < match.missing[k] ? " " : "");
        out += "\"), " + std::to_string(end - k) + " missing: \"";
        for (size_t j = k; j < end && j < k + 12; ++j) {
            if (j > k) out += ' ';
            out += Utf32ToUtf8(expected[match.missing[j]]);
        }
        out += end - k > 12 ? " ...\"" : "\"";
        ++runs;
        k = end;
    }
    if (runs == maxRuns && !match.missing.empty()) out += "\n  ...";
    return out;
}

}  // namespace tavorin::test
