// The Unicode file reader: decodes the file block by block into a growing
// character buffer and hands out pieces of it. Every search keeps its offset
// across refills, so reading a whole book is linear in its size.
#include "text/unicode_reader.h"

#include <algorithm>
#include <cstring>

#include "text/codec_tables.h"

namespace tavorin {

namespace {

constexpr size_t kByteBlock = 65536;         // bytes read from the file at a time
constexpr size_t kCharStep = 65536;          // growth step of the character buffer
constexpr size_t kCompactAvailable = 4096;   // compact when no more are left ...
constexpr size_t kCompactReadIndex = 262144; // ... or when this many were handed out
constexpr size_t kKeptChars = 262144;        // buffer size kept by Reset

// Position of the first `c` in chars[from, end), or end. Four characters a
// step: a 16-bit lane of word ^ pattern is zero where `c` is, and
// (x - ones) & ~x & highs is non-zero exactly when some lane of x is zero.
size_t FindChar(const char16_t* chars, size_t from, size_t end, char16_t c) {
    constexpr uint64_t kOnes = 0x0001000100010001, kHighs = 0x8000800080008000;
    const uint64_t pattern = kOnes * c;
    size_t i = from;
    for (; i + 4 <= end; i += 4) {
        uint64_t word;
        std::memcpy(&word, chars + i, sizeof word);
        const uint64_t x = word ^ pattern;
        if (((x - kOnes) & ~x & kHighs) != 0) break;
    }
    while (i < end && chars[i] != c) ++i;
    return i;
}

// C1 controls in the decoded characters [chars, chars + count) become the
// characters they stand for, those that stand for none are removed; returns
// the number of characters kept.
size_t ReadC1Characters(char16_t* chars, size_t count) {
    const auto isC1 = [](char16_t c) { return c >= 0x80 && c <= 0x9F; };
    size_t kept = static_cast<size_t>(std::find_if(chars, chars + count, isC1) - chars);  // most books hold none
    for (size_t i = kept; i < count; ++i) {
        const char16_t c = ReadC1AsWindows1252(chars[i]);
        if (c != 0 || chars[i] == 0) chars[kept++] = c;
    }
    return kept;
}

char16_t FoldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c; }

// Case-insensitive, only characters below 128 can match, so a delimiter
// character of 128 or above never does.
bool MatchesAt(const char16_t* chars, std::string_view delimiter, bool caseSensitive) {
    for (size_t k = 0; k < delimiter.size(); ++k) {
        const char16_t c = chars[k];
        const char16_t d = static_cast<unsigned char>(delimiter[k]);
        if (caseSensitive ? c != d : c >= 0x80 || FoldAscii(c) != FoldAscii(d)) return false;
    }
    return true;
}

}  // namespace

CharSet MakeCharSet(std::string_view chars) {
    CharSet set;
    for (const char c : chars) set.set(static_cast<unsigned char>(c));
    return set;
}

TUnicodeFileReader::TUnicodeFileReader(const std::string& path,
                                       std::unique_ptr<TCustomUnicodeCodec> codec)
    : file_(path), codec_(std::move(codec)), bytes_(kByteBlock) {}

size_t TUnicodeFileReader::Buffer(size_t n) {
    if (Available() >= n) return Available();
    Compact();
    while (Available() < n && ReadBlock()) {
    }
    return Available();
}

// Moves the unread characters to the front only when few are left or many
// were handed out, so a long run of reads does not copy on every refill.
void TUnicodeFileReader::Compact() {
    if (read_ == fill_) {
        read_ = fill_ = 0;
    } else if (read_ > 0 && (Available() <= kCompactAvailable || read_ >= kCompactReadIndex)) {
        std::copy(chars_.begin() + read_, chars_.begin() + fill_, chars_.begin());
        fill_ -= read_;
        read_ = 0;
    }
}

// Reads the next block of bytes behind the pending ones and decodes it;
// false at the end of the file.
bool TUnicodeFileReader::ReadBlock() {
    const size_t got = file_.Read(bytes_.data() + pending_, bytes_.size() - pending_);
    if (got == 0) return false;
    pending_ += got;
    DecodePending();
    return true;
}

// Decodes the pending bytes straight into the character buffer. An incomplete
// sequence at the end stays pending, moved to the front of the byte buffer.
void TUnicodeFileReader::DecodePending() {
    size_t start = 0;
    while (start < pending_) {
        if (chars_.size() - fill_ < kCharStep) chars_.resize(fill_ + kCharStep);
        size_t written = 0;
        size_t used = 0;
        codec_->Decode(bytes_.data() + start, pending_ - start, chars_.data() + fill_,
                       chars_.size() - fill_, written, used);
        fill_ += ReadC1Characters(chars_.data() + fill_, written);
        start += used;
        if (used == 0) break;
    }
    std::memmove(bytes_.data(), bytes_.data() + start, pending_ - start);
    pending_ -= start;
}

WString TUnicodeFileReader::Take(size_t count) {
    WString text(chars_.data() + read_, count);
    read_ += count;
    return text;
}

WString TUnicodeFileReader::ReadChars(int64_t n) {
    if (n <= 0) return {};
    const size_t wanted = static_cast<size_t>(n);
    return Take(std::min(wanted, Buffer(wanted)));
}

char16_t TUnicodeFileReader::ReadChar() {
    if (Buffer(1) == 0) throw EUnicodeReaderReadError("Read error");
    return chars_[read_++];
}

// Asks for one more character rather than looking at the byte reader alone:
// bytes left at the end that form no character do not count as text.
bool TUnicodeFileReader::EndOfFile() { return Buffer(1) == 0; }

int64_t TUnicodeFileReader::LocateCharSet(const CharSet& set) {
    // A set of one character (a tag's '<' or '>') is searched for directly.
    // libstdc++ finds the set's first member in a few word operations; other
    // standard libraries take the general loop below.
#if defined(__GLIBCXX__)
    const size_t first = set._Find_first();
    const bool single = first < set.size() && set._Find_next(first) == set.size();
#else
    const size_t first = 0;
    const bool single = false;
#endif
    const char16_t only = static_cast<char16_t>(first);
    size_t i = 0;
    for (;;) {
        const char16_t* chars = chars_.data() + read_;
        const size_t end = Available();
        if (single) {
            i = FindChar(chars, i, end, only);
            if (i < end) return static_cast<int64_t>(i);
        }
        for (; i < end; ++i) {
            if (chars[i] <= 0xFF && set[chars[i]]) return static_cast<int64_t>(i);
        }
        if (Buffer(i + 1) <= i) return -1;
    }
}

size_t TUnicodeFileReader::SkipToCharSet(const CharSet& set, bool skipDelimiter) {
    const int64_t found = LocateCharSet(set);
    const size_t passed = found < 0 ? Available() : static_cast<size_t>(found);
    read_ += passed;
    if (found >= 0 && skipDelimiter) ++read_;
    return passed;
}

WString TUnicodeFileReader::ReadToCharSet(const CharSet& set, bool skipDelimiter) {
    const int64_t found = LocateCharSet(set);
    WString text = Take(found < 0 ? Available() : static_cast<size_t>(found));
    if (found >= 0 && skipDelimiter) ++read_;
    return text;
}

int64_t TUnicodeFileReader::LocateStr(std::string_view delimiter, bool caseSensitive) {
    const size_t length = delimiter.size();
    if (length == 0) return 0;
    size_t i = 0;
    for (;;) {
        if (Buffer(i + length) < i + length) return -1;
        const char16_t* chars = chars_.data() + read_;
        for (const size_t last = Available() - length; i <= last; ++i) {
            if (MatchesAt(chars + i, delimiter, caseSensitive)) return static_cast<int64_t>(i);
        }
    }
}

WString TUnicodeFileReader::ReadToStr(std::string_view delimiter, bool caseSensitive,
                                      bool skipDelimiter) {
    const int64_t found = LocateStr(delimiter, caseSensitive);
    WString text = Take(found < 0 ? Available() : static_cast<size_t>(found));
    if (found >= 0 && skipDelimiter) read_ += delimiter.size();
    return text;
}

void TUnicodeFileReader::Reset() {
    file_.SetPosition(0);
    codec_->Restart();
    read_ = fill_ = pending_ = 0;
    if (chars_.size() > kKeptChars) {
        chars_.resize(kKeptChars);
        chars_.shrink_to_fit();
    }
}

bool ReadTag(TUnicodeFileReader& reader, WString& tag) {
    static const CharSet kTagOpen = MakeCharSet("<");
    static const CharSet kTagClose = MakeCharSet(">");
    reader.SkipToCharSet(kTagOpen, false);
    tag = reader.ReadToCharSet(kTagClose, false);
    if (reader.EndOfFile()) return false;
    tag.push_back(reader.ReadChar());
    return true;
}

}  // namespace tavorin
