// The Unicode file reader: the one reader of the FB2 file. It decodes the
// file's bytes with a codec into UTF-16 characters and hands out pieces: a
// number of characters, the text up to a character of a set or up to a
// delimiter string, one character. It rewinds once per run.
#pragma once

#include <bitset>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "text/codecs.h"
#include "text/file_reader.h"
#include "text/wide.h"

namespace tavorin {

// Raised by ReadChar when no character is left.
struct EUnicodeReaderReadError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A set of character codes 0 to 255.
using CharSet = std::bitset<256>;
CharSet MakeCharSet(std::string_view chars);

class TUnicodeFileReader {
public:
    // Opens the file (EFileReader "File open error" when it cannot be opened).
    TUnicodeFileReader(const std::string& path, std::unique_ptr<TCustomUnicodeCodec> codec);

    // Makes at least n characters available if the file still holds them;
    // returns the number available.
    size_t Buffer(size_t n);
    // Up to n characters; advances past them.
    WString ReadChars(int64_t n);
    // The next character; EUnicodeReaderReadError "Read error" when none is left.
    char16_t ReadChar();
    bool EndOfFile();
    // Offset of the first character (code <= 255) in the set; -1 when none.
    int64_t LocateCharSet(const CharSet& set);
    // Advances to the first character of the set (past it when asked and
    // found); returns the number of characters passed, delimiter not counted.
    size_t SkipToCharSet(const CharSet& set, bool skipDelimiter);
    // The characters up to the first character of the set, delimiter excluded.
    WString ReadToCharSet(const CharSet& set, bool skipDelimiter);
    // Offset of the first occurrence of the 8-bit delimiter; -1 when none.
    int64_t LocateStr(std::string_view delimiter, bool caseSensitive);
    // The characters up to the delimiter (everything when it does not occur).
    WString ReadToStr(std::string_view delimiter, bool caseSensitive, bool skipDelimiter);
    // Back to the start of the file; buffered characters are dropped.
    void Reset();

private:
    size_t Available() const { return fill_ - read_; }
    void Compact();
    bool ReadBlock();
    void DecodePending();
    WString Take(size_t count);

    TFileReader file_;
    std::unique_ptr<TCustomUnicodeCodec> codec_;
    std::vector<char16_t> chars_;
    size_t read_ = 0;
    size_t fill_ = 0;
    std::vector<uint8_t> bytes_;
    size_t pending_ = 0;
};

// Reads one tag: skips to the next '<', reads up to the next '>' and, when not
// at the end of the file, appends the '>'. Returns false when the end of the
// file was reached before the '>' (the text read is still stored in `tag`).
bool ReadTag(TUnicodeFileReader& reader, WString& tag);

}  // namespace tavorin
