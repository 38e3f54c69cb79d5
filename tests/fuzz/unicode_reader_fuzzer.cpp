// The Unicode file reader with each codec (and two read through iconv) over
// arbitrary bytes: the first
// byte picks the codec, the rest is the file. The whole file is read tag by
// tag, then again after a rewind up to delimiters and character sets. Only
// the reader's own errors (invalid UTF-8, end of file) may be raised.
#include <memory>
#include <string>

#include "fuzz_files.h"
#include "fuzz_target.h"
#include "text/unicode_reader.h"

namespace tavorin::fuzz::reader {

inline std::unique_ptr<TCustomUnicodeCodec> MakeCodec(uint8_t choice) {
    switch (choice % 8) {
        case 6: return IconvCodec::Open("UTF-16BE");
        case 7: return IconvCodec::Open("GB18030");
        case 0: return std::make_unique<TUTF8Codec>();
        case 1: return std::make_unique<TWindows1251Codec>();
        case 2: return std::make_unique<TWindows1252Codec>();
        case 3: return std::make_unique<TWindows1250Codec>();
        case 4: return std::make_unique<TISO8859_1Codec>();
        default: return std::make_unique<TKOI8_RCodec>();
    }
}

inline void ReadEverything(TUnicodeFileReader& reader) {
    WString tag;
    while (ReadTag(reader, tag)) {
    }
    reader.Reset();
    const CharSet blanks = MakeCharSet(" \r\n\t>");
    while (!reader.EndOfFile()) {
        reader.ReadToStr("</binary", true, false);
        reader.LocateStr("<BODY", false);
        reader.ReadToCharSet(blanks, true);
        reader.SkipToCharSet(MakeCharSet("<"), false);
        reader.ReadChars(7);
        if (!reader.EndOfFile()) reader.ReadChar();
    }
}

inline int Read(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string path = WriteInput("text.bin", data + 1, size - 1);
    try {
        TUnicodeFileReader reader(path, MakeCodec(data[0]));
        ReadEverything(reader);
    } catch (const ConvertError&) {
    } catch (const EUnicodeReaderReadError&) {
    }
    return 0;
}

}  // namespace tavorin::fuzz::reader

TAVORIN_FUZZ_TARGET(FuzzUnicodeReader) { return tavorin::fuzz::reader::Read(data, size); }
