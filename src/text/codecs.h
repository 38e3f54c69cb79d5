// Codecs from bytes to UTF-16: UTF-8 and the single-byte code pages
// ISO-8859-1, Windows-1250, Windows-1251, Windows-1252 and KOI8-R.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>

namespace tavorin {

// Raised by the UTF-8 codec: "Invalid UTF-8 encoding" or
// "UTF-8 encoding out of range".
struct EConvertError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class TCustomUnicodeCodec {
public:
    virtual ~TCustomUnicodeCodec() = default;
    // Decodes as many whole characters of bytes[0, count) as fit into `room`
    // UTF-16 units at out; reports the units written and the bytes used. An
    // incomplete sequence at the end of the bytes is left unused.
    virtual void Decode(const uint8_t* bytes, size_t count, char16_t* out, size_t room,
                        size_t& written, size_t& used) = 0;
};

class TUTF8Codec final : public TCustomUnicodeCodec {
public:
    void Decode(const uint8_t* bytes, size_t count, char16_t* out, size_t room, size_t& written,
                size_t& used) override;
};

// One byte gives one character through a 256-entry table.
class TCustomSingleByteCodec : public TCustomUnicodeCodec {
public:
    explicit TCustomSingleByteCodec(const char16_t (&table)[256]) : table_(table) {}
    void Decode(const uint8_t* bytes, size_t count, char16_t* out, size_t room, size_t& written,
                size_t& used) override;

private:
    const char16_t (&table_)[256];
};

class TISO8859_1Codec final : public TCustomSingleByteCodec {
public:
    TISO8859_1Codec();
};
class TWindows1250Codec final : public TCustomSingleByteCodec {
public:
    TWindows1250Codec();
};
class TWindows1251Codec final : public TCustomSingleByteCodec {
public:
    TWindows1251Codec();
};
class TWindows1252Codec final : public TCustomSingleByteCodec {
public:
    TWindows1252Codec();
};
class TKOI8_RCodec final : public TCustomSingleByteCodec {
public:
    TKOI8_RCodec();
};

}  // namespace tavorin
