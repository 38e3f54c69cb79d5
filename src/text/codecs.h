// Codecs from bytes to UTF-16: UTF-8, the single-byte code pages
// ISO-8859-1, Windows-1250, Windows-1251, Windows-1252 and KOI8-R, and any
// other encoding the C library's iconv knows.
#pragma once

#include <iconv.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace tavorin {

// Raised by the codecs: "Invalid UTF-8 encoding", "UTF-8 encoding out of
// range", or "Invalid " + the encoding's name + " encoding".
struct ConvertError : std::runtime_error {
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
    // Back to the state at the start of a file (the reader rewinds).
    virtual void Restart() {}
};

class TUTF8Codec final : public TCustomUnicodeCodec {
public:
    TUTF8Codec() = default;
    // For a book that declares an encoding nothing here knows: the errors
    // name that encoding, as the reason the text is read as UTF-8.
    explicit TUTF8Codec(std::string unknownDeclared) : unknownDeclared_(std::move(unknownDeclared)) {}
    void Decode(const uint8_t* bytes, size_t count, char16_t* out, size_t room, size_t& written,
                size_t& used) override;

private:
    [[noreturn]] void Fail(const char* what) const;
    std::string unknownDeclared_;
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

// Any encoding iconv knows, by its name; bytes that are not valid in it
// raise ConvertError "Invalid <name> encoding".
class IconvCodec final : public TCustomUnicodeCodec {
public:
    // Returns nullptr when iconv does not know the name.
    static std::unique_ptr<IconvCodec> Open(const std::string& name);
    ~IconvCodec() override;
    IconvCodec(const IconvCodec&) = delete;
    IconvCodec& operator=(const IconvCodec&) = delete;
    void Decode(const uint8_t* bytes, size_t count, char16_t* out, size_t room, size_t& written,
                size_t& used) override;
    void Restart() override;

private:
    IconvCodec(iconv_t cd, std::string name) : cd_(cd), name_(std::move(name)) {}
    iconv_t cd_;
    std::string name_;
};

}  // namespace tavorin
