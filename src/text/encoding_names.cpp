// The codec for a declared encoding name. XML encoding names are
// case-insensitive; the six built-in codecs keep their fast tables under
// their usual aliases, and iconv decodes every other encoding it knows.
#include "text/encoding_names.h"

#include <algorithm>
#include <array>
#include <string>

#include "text/terminal_text.h"

namespace tavorin {

namespace {

template <class Codec>
std::unique_ptr<TCustomUnicodeCodec> Make() {
    return std::make_unique<Codec>();
}

using MakeCodec = std::unique_ptr<TCustomUnicodeCodec> (*)();

struct BuiltInName {
    std::string_view name;  // lower case
    MakeCodec make;
};

// ASCII is read as the UTF-8 it is a part of.
constexpr std::array<BuiltInName, 36> kBuiltInNames{{
    {"utf-8", Make<TUTF8Codec>},          {"utf8", Make<TUTF8Codec>},
    {"us-ascii", Make<TUTF8Codec>},       {"ascii", Make<TUTF8Codec>},
    {"windows-1251", Make<TWindows1251Codec>}, {"cp1251", Make<TWindows1251Codec>},
    {"x-cp1251", Make<TWindows1251Codec>},     {"win-1251", Make<TWindows1251Codec>},
    {"win1251", Make<TWindows1251Codec>},      {"windows1251", Make<TWindows1251Codec>},
    {"windows-1252", Make<TWindows1252Codec>}, {"cp1252", Make<TWindows1252Codec>},
    {"x-cp1252", Make<TWindows1252Codec>},     {"win-1252", Make<TWindows1252Codec>},
    {"win1252", Make<TWindows1252Codec>},      {"windows1252", Make<TWindows1252Codec>},
    {"windows-1250", Make<TWindows1250Codec>}, {"cp1250", Make<TWindows1250Codec>},
    {"x-cp1250", Make<TWindows1250Codec>},     {"win-1250", Make<TWindows1250Codec>},
    {"win1250", Make<TWindows1250Codec>},      {"windows1250", Make<TWindows1250Codec>},
    {"iso-8859-1", Make<TISO8859_1Codec>},     {"iso8859-1", Make<TISO8859_1Codec>},
    {"iso_8859-1", Make<TISO8859_1Codec>},     {"iso88591", Make<TISO8859_1Codec>},
    {"latin1", Make<TISO8859_1Codec>},         {"latin-1", Make<TISO8859_1Codec>},
    {"l1", Make<TISO8859_1Codec>},             {"iso-ir-100", Make<TISO8859_1Codec>},
    {"cp819", Make<TISO8859_1Codec>},          {"koi8-r", Make<TKOI8_RCodec>},
    {"koi8r", Make<TKOI8_RCodec>},             {"koi8_r", Make<TKOI8_RCodec>},
    {"cskoi8r", Make<TKOI8_RCodec>},           {"koi8", Make<TKOI8_RCodec>},
}};

// Names neither of the above nor known to iconv that contain the name or
// number of a built-in code page ("x-win-1251") are read with it.
constexpr std::array<BuiltInName, 5> kBuiltInParts{{
    {"1251", Make<TWindows1251Codec>},
    {"1252", Make<TWindows1252Codec>},
    {"1250", Make<TWindows1250Codec>},
    {"iso-8859-1", Make<TISO8859_1Codec>},
    {"koi8-r", Make<TKOI8_RCodec>},
}};

// UTF-16 and UTF-32 are known by their bytes, not by the name: a file whose
// declaration was read byte by byte is in an 8-bit form whatever it says, and
// is read as UTF-8.
constexpr std::array<std::string_view, 8> kWideForms{"utf-16", "utf16", "utf-32", "utf32", "ucs-", "ucs2", "ucs4", "unicode"};

// An encoding name as XML writes one: a letter, then letters, digits, '.',
// '_' and '-'. Only such a name goes to iconv: an empty one (a name of
// blanks, or one cut at a NUL) would make it take the locale's charset, and
// "//" suffixes change how it converts.
bool IsEncodingName(std::string_view name) {
    const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (name.empty() || !letter(name[0])) return false;
    return std::all_of(name.begin(), name.end(), [&](char c) {
        return letter(c) || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
    });
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return lower;
}

}  // namespace

std::unique_ptr<TCustomUnicodeCodec> CodecForEncoding(std::string_view declared) {
    if (declared.empty()) return std::make_unique<TUTF8Codec>();
    const std::string name = Lower(declared);
    for (const BuiltInName& row : kBuiltInNames) {
        if (row.name == name) return row.make();
    }
    for (const std::string_view form : kWideForms) {
        if (name.starts_with(form)) return std::make_unique<TUTF8Codec>();
    }
    if (IsEncodingName(declared)) {
        if (auto codec = IconvCodec::Open(std::string(declared))) return codec;
    }
    for (const BuiltInName& row : kBuiltInParts) {
        if (name.find(row.name) != std::string::npos) return row.make();
    }
    return std::make_unique<TUTF8Codec>(EscapeControls(declared));
}

}  // namespace tavorin
