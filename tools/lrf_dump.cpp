// Developer tool: prints an LRF file's header, metadata, object index and
// every object's tags. Scrambled streams are descrambled and compressed ones
// inflated; text streams are shown as codes and text.
//
//   lrf_dump book.lrf
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

uint16_t U16(const Bytes& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }
uint32_t U32(const Bytes& b, size_t at) { return U16(b, at) | (uint32_t(U16(b, at + 2)) << 16); }
uint64_t U64(const Bytes& b, size_t at) { return U32(b, at) | (uint64_t(U32(b, at + 4)) << 32); }

struct TagInfo {
    const char* name;
    int size;  // value bytes; -1 counted list of ids, -2 counted UTF-16 text, -3 emphasis dots
};

const std::map<uint16_t, TagInfo> kTags = {
    {0xF500, {"ObjectStart", 6}},   {0xF501, {"ObjectEnd", 0}},       {0xF503, {"Link", 4}},
    {0xF504, {"StreamSize", 4}},    {0xF505, {"StreamStart", 0}},     {0xF506, {"StreamEnd", 0}},
    {0xF507, {"OddHeader", 4}},     {0xF508, {"EvenHeader", 4}},      {0xF509, {"OddFooter", 4}},
    {0xF50A, {"EvenFooter", 4}},    {0xF50B, {"ChildList", -1}},      {0xF511, {"FontSize", 2}},
    {0xF512, {"FontWidth", 2}},     {0xF513, {"FontEscapement", 2}},  {0xF514, {"FontOrientation", 2}},
    {0xF515, {"FontWeight", 2}},    {0xF516, {"FontFaceName", -2}},   {0xF517, {"TextColor", 4}},
    {0xF518, {"TextBgColor", 4}},   {0xF519, {"WordSpace", 2}},       {0xF51A, {"LetterSpace", 2}},
    {0xF51B, {"BaselineSkip", 2}},  {0xF51C, {"LineSpace", 2}},       {0xF51D, {"ParIndent", 2}},
    {0xF51E, {"ParSkip", 2}},       {0xF521, {"TopMargin", 2}},       {0xF522, {"HeadHeight", 2}},
    {0xF523, {"HeadSep", 2}},       {0xF524, {"OddSideMargin", 2}},   {0xF525, {"TextHeight", 2}},
    {0xF526, {"TextWidth", 2}},     {0xF527, {"FootSpace", 2}},       {0xF528, {"FootHeight", 2}},
    {0xF529, {"BgImageMode", 6}},   {0xF52A, {"SetEmptyView", 2}},    {0xF52B, {"PagePosition", 2}},
    {0xF52C, {"EvenSideMargin", 2}}, {0xF52E, {"FrameMode", 2}},      {0xF531, {"BlockWidth", 2}},
    {0xF532, {"BlockHeight", 2}},   {0xF533, {"BlockRule", 2}},       {0xF534, {"BgColor", 4}},
    {0xF535, {"Layout", 2}},        {0xF536, {"FrameWidth", 2}},      {0xF537, {"FrameColor", 4}},
    {0xF538, {"TopSkip", 2}},       {0xF539, {"SideMargin", 2}},      {0xF53A, {"FootSkip", 2}},
    {0xF53C, {"Align", 2}},         {0xF53D, {"Column", 2}},          {0xF53E, {"ColumnSep", 2}},
    {0xF546, {"SpaceY", 2}},        {0xF547, {"SpaceX", 2}},          {0xF549, {"PutObject", 4}},
    {0xF54A, {"ImageRect", 8}},     {0xF54B, {"ImageSize", 4}},       {0xF54C, {"ImageStream", 4}},
    {0xF554, {"StreamFlags", 2}},   {0xF559, {"FontFileName", -2}},   {0xF55C, {"PageList", -1}},
    {0xF55D, {"FontFaceName", -2}}, {0xF561, {"ButtonFlags", 2}},     {0xF566, {"PushButton", 0}},
    {0xF567, {"/PushButton", 0}},   {0xF56A, {"ButtonActions", 0}},   {0xF56B, {"/ButtonActions", 0}},
    {0xF56C, {"JumpTo", 8}},        {0xF573, {"RuledLine", 10}},      {0xF575, {"RubyAlignAdjust", 2}},
    {0xF576, {"RubyOverhang", 2}},  {0xF577, {"EmpDotsPosition", 2}}, {0xF578, {"EmpDotsCode", -3}},
    {0xF579, {"EmpLinePosition", 2}}, {0xF57A, {"EmpLineType", 2}},   {0xF57B, {"PageTree", 4}},
    {0xF57C, {"ParentPageTree", 4}}, {0xF581, {"Italic", 0}},         {0xF582, {"/Italic", 0}},
    {0xF5A1, {"P", 4}},             {0xF5A2, {"/P", 0}},              {0xF5A7, {"CharButton", 4}},
    {0xF5A8, {"/CharButton", 0}},   {0xF5B7, {"Sup", 0}},             {0xF5B8, {"/Sup", 0}},
    {0xF5B9, {"Sub", 0}},           {0xF5BA, {"/Sub", 0}},            {0xF5C1, {"EmpLine", 0}},
    {0xF5C2, {"/EmpLine", 0}},      {0xF5CA, {"Space", 2}},           {0xF5CC, {"Text", -2}},
    {0xF5D2, {"CR", 0}},            {0xF5D8, {"Font", 4}},            {0xF5DA, {"SetWaitProp", 2}},
    {0xF5DD, {"CharSpace", 2}},     {0xF5F1, {"LineWidth", 2}},       {0xF5F2, {"LineColor", 4}},
    {0xF5F4, {"LineType", 2}},      {0xF5F5, {"LineStart", 4}},       {0xF5F6, {"LineEnd", 4}},
};

const std::map<uint16_t, const char*> kTypes = {
    {0x01, "PageTree"},  {0x02, "Page"},       {0x03, "Header"},      {0x04, "Footer"},
    {0x05, "PageStyle"}, {0x06, "Block"},      {0x07, "BlockStyle"},  {0x0A, "TextBlock"},
    {0x0B, "TextStyle"}, {0x0C, "ImageBlock"}, {0x11, "ImageStream"}, {0x13, "Button"},
    {0x19, "Font"},      {0x1C, "BookAttributes"}, {0x1D, "SimpleTextBlock"}, {0x1E, "TableOfContents"},
};

std::string Hex(uint64_t v, int digits) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%0*llX", digits, static_cast<unsigned long long>(v));
    return buf;
}

void AppendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// UTF-16LE bytes as UTF-8 (surrogates shown as U+FFFD; enough for a dump).
std::string Utf16(const Bytes& b, size_t at, size_t bytes) {
    std::string out;
    for (size_t i = 0; i + 1 < bytes && at + i + 1 < b.size(); i += 2) {
        const uint16_t c = U16(b, at + i);
        AppendUtf8(out, (c >= 0xD800 && c <= 0xDFFF) ? 0xFFFD : c);
    }
    return out;
}

// Size of the value of `code` at `at`; -1 when unknown or cut off.
long ValueSize(uint16_t code, const Bytes& b, size_t at, size_t end) {
    const auto tag = kTags.find(code);
    if (tag == kTags.end()) return -1;
    long size = tag->second.size;
    if (size < 0 && at + 2 > end) return -1;
    if (size == -1) size = 2 + 4L * U16(b, at);
    if (size == -2) size = 2 + long(U16(b, at));
    if (size == -3) size = at + 8 <= end ? 4 + 2 + 2 + long(U16(b, at + 6)) + 2 : -1;
    return size >= 0 && at + size_t(size) <= end ? size : -1;
}

bool IsColor(uint16_t code) {
    return code == 0xF517 || code == 0xF518 || code == 0xF534 || code == 0xF537 || code == 0xF5F2;
}

// Values made of 16-bit numbers: positions, sizes, rectangles, rule lines.
bool IsWordList(uint16_t code) {
    return code == 0xF549 || code == 0xF54A || code == 0xF54B || code == 0xF573 || code == 0xF5F5 || code == 0xF5F6;
}

std::string ValueText(uint16_t code, const Bytes& b, size_t at, long size) {
    const int kind = kTags.at(code).size;
    if (kind == -1) {
        std::string s = "[" + std::to_string(U16(b, at)) + "]";
        for (long i = 2; i < size; i += 4) s += " " + std::to_string(U32(b, at + i));
        return s;
    }
    if (kind == -2) return "\"" + Utf16(b, at + 2, size - 2) + "\"";
    if (kind == -3) return "font \"" + Utf16(b, at + 8, U16(b, at + 6)) + "\" char " + Hex(U16(b, at + size - 2), 4);
    if (IsColor(code)) return "0x" + Hex(U32(b, at) >> 24 | (U32(b, at) >> 8 & 0xFF00) | (U32(b, at) << 8 & 0xFF0000) | U32(b, at) << 24, 8);
    if (code == 0xF56C) return "page " + std::to_string(U32(b, at)) + ", block " + std::to_string(U32(b, at + 4));
    if (IsWordList(code)) {
        std::string s;
        for (long i = 0; i < size; i += 2) s += (i ? " " : "") + std::to_string(int16_t(U16(b, at + i)));
        return s;
    }
    if (size == 2) {
        const uint16_t v = U16(b, at);
        return v < 0x8000 ? std::to_string(v) : std::to_string(v) + " (" + std::to_string(int16_t(v)) + ")";
    }
    if (size == 4) return std::to_string(U32(b, at));
    std::string s;
    for (long i = 0; i < size; ++i) s += (i ? " " : "") + Hex(b[at + i], 2);
    return s;
}

// Tags from `at` to `end`, one per line. In headers and footers F549 is
// followed by the id of the block shown.
void DumpTags(const Bytes& b, size_t at, size_t end, bool putObjectHasId, const char* indent) {
    while (at + 2 <= end) {
        const uint16_t code = U16(b, at);
        at += 2;
        long size = ValueSize(code, b, at, end);
        if (code == 0xF549 && putObjectHasId && at + 8 <= end) size = 8;
        if (size < 0) {
            std::printf("%s?? %s, %zu bytes left undecoded\n", indent, Hex(code, 4).c_str(), end - at);
            return;
        }
        std::printf("%s%s %-16s %s\n", indent, Hex(code, 4).c_str(), kTags.at(code).name,
                    ValueText(code, b, at, size).c_str());
        at += size_t(size);
    }
}

// A text stream: runs of characters as quoted text, tags by name.
void DumpTextStream(const Bytes& s) {
    std::string text;
    auto flush = [&] {
        if (!text.empty()) std::printf("      \"%s\"\n", text.c_str());
        text.clear();
    };
    for (size_t at = 0; at + 1 < s.size();) {
        const uint16_t unit = U16(s, at);
        at += 2;
        const long size = (unit >> 8) == 0xF5 ? ValueSize(unit, s, at, s.size()) : -1;
        if (size < 0) {
            AppendUtf8(text, unit);
            continue;
        }
        flush();
        std::printf("      <%s%s%s>\n", kTags.at(unit).name, size ? " " : "", size ? ValueText(unit, s, at, size).c_str() : "");
        at += size_t(size);
    }
    flush();
}

void DumpTocStream(const Bytes& s) {
    if (s.size() < 4) return;
    const uint32_t n = U32(s, 0);
    size_t at = 4 + 4 * size_t(n);
    for (uint32_t i = 0; i < n && at + 10 <= s.size(); ++i) {
        const uint16_t len = U16(s, at + 8);
        std::printf("      entry %u: page %u, block %u, \"%s\"\n", i, U32(s, at), U32(s, at + 4),
                    Utf16(s, at + 10, len).c_str());
        at += 10 + len;
    }
}

// Readers descramble with (stored length mod key byte) + 15, over the first
// 1024 bytes only for images and fonts, and only for key bytes 1 to 240.
Bytes DecodeStream(Bytes s, uint16_t flags, uint16_t type, uint8_t key, std::string& note) {
    if ((flags & 0x200) && key >= 1 && key <= 240) {
        const auto x = static_cast<uint8_t>(s.size() % key + 15);
        const size_t n = (type == 0x11 || type == 0x19) && s.size() > 1024 ? 1024 : s.size();
        for (size_t i = 0; i < n; ++i) s[i] ^= x;
    }
    if ((flags & 0x100) && s.size() >= 4) {
        Bytes out(U32(s, 0));
        uLongf size = out.size();
        const int rc = uncompress(out.data(), &size, s.data() + 4, s.size() - 4);
        if (rc != Z_OK || size != out.size()) note = " (does not inflate to its length!)";
        out.resize(size);
        return out;
    }
    return s;
}

void DumpObject(const Bytes& b, uint32_t id, uint32_t offset, uint32_t length, uint8_t key) {
    const size_t end = size_t(offset) + length;
    if (end > b.size() || length < 8 || U16(b, offset) != 0xF500) {
        std::printf("object %u: index entry does not point at an object\n", id);
        return;
    }
    const uint16_t type = U16(b, offset + 6);
    const auto name = kTypes.find(type);
    std::printf("\nobject %u %s (type %s) at 0x%s, %u bytes%s\n", U32(b, offset + 2),
                name == kTypes.end() ? "?" : name->second, Hex(type, 2).c_str(), Hex(offset, 8).c_str(), length,
                U32(b, offset + 2) == id ? "" : " (id differs from the index!)");
    size_t at = offset + 8, streamAt = 0, streamSize = 0;
    uint16_t flags = 0;
    // Find the stream block, if any, so the object's own tags print around it.
    for (size_t p = at; p + 2 <= end;) {
        const uint16_t code = U16(b, p);
        p += 2;
        if (code == 0xF554) flags = U16(b, p);
        if (code == 0xF505 && streamAt == 0) {
            streamAt = p;
            break;
        }
        const long size = ValueSize(code, b, p, end);
        if (size < 0) break;
        if (code == 0xF504) streamSize = U32(b, p);
        p += size_t(size);
    }
    if (streamAt == 0) {
        DumpTags(b, at, end - 2, false, "  ");
        return;
    }
    DumpTags(b, at, streamAt - 2, false, "  ");
    const size_t contentsEnd = streamAt + streamSize <= end ? streamAt + streamSize : streamAt;
    std::string note;
    const Bytes stream = DecodeStream(Bytes(b.begin() + streamAt, b.begin() + contentsEnd), flags, type, key, note);
    std::printf("  stream: %zu bytes stored, %zu bytes decoded%s\n", contentsEnd - streamAt, stream.size(), note.c_str());
    switch (type) {
        case 0x0A:
        case 0x1D: DumpTextStream(stream); break;
        case 0x1E: DumpTocStream(stream); break;
        case 0x02:
        case 0x03:
        case 0x04:
        case 0x06: DumpTags(stream, 0, stream.size(), type == 0x03 || type == 0x04, "      "); break;
        default: break;
    }
    DumpTags(b, contentsEnd, end - 2, false, "  ");
}

// One line per object type present with its number of objects: "Page  12".
void PrintSummary(const Bytes& b, uint64_t count, uint64_t indexOffset) {
    std::map<uint16_t, unsigned> perType;
    for (uint64_t i = 0; i < count; ++i) {
        const uint32_t offset = U32(b, indexOffset + 16 * i + 4);
        if (size_t(offset) + 8 <= b.size()) ++perType[U16(b, offset + 6)];
    }
    for (const auto& [type, n] : perType) {
        const auto name = kTypes.find(type);
        std::printf("%-16s %u\n", name == kTypes.end() ? "?" : name->second, n);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const bool summary = argc == 3 && std::string_view(argv[1]) == "--summary";
    if (argc != 2 && !summary) {
        std::fprintf(stderr, "usage: lrf_dump [--summary] book.lrf\n");
        return 2;
    }
    const char* path = argv[argc - 1];
    std::ifstream in(path, std::ios::binary);
    const Bytes b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in || b.size() < 0x58) {
        std::fprintf(stderr, "%s: cannot read an LRF header\n", path);
        return 1;
    }
    const uint64_t count = U64(b, 0x10), indexOffset = U64(b, 0x18);
    if (indexOffset > b.size() || count > (b.size() - indexOffset) / 16) {
        std::printf("object index runs past the end of the file\n");
        return 1;
    }
    if (summary) {
        PrintSummary(b, count, indexOffset);
        return 0;
    }
    std::printf("signature   %s\n", Utf16(b, 0, 6).c_str());
    std::printf("version     %u\nkey         0x%s\nroot        %u\nobjects     %llu\nindex at    0x%s\n", U16(b, 8),
                Hex(U16(b, 0x0A), 4).c_str(), U32(b, 0x0C), static_cast<unsigned long long>(count),
                Hex(indexOffset, 8).c_str());
    std::printf("binding     %u\ndpi         %u\nscreen      %ux%u, depth %u\n", U16(b, 0x24), U32(b, 0x26),
                U16(b, 0x2A), U16(b, 0x2C), U16(b, 0x2E));
    std::printf("toc         %u at 0x%s\n", U32(b, 0x44), Hex(U32(b, 0x48), 8).c_str());
    std::printf("thumbnail   type %u, %u bytes\n", U16(b, 0x4E), U32(b, 0x50));
    const uint16_t metaSize = U16(b, 0x4C);
    const uint32_t metaLength = U32(b, 0x54);
    std::printf("metadata    %u bytes stored + 4, %u bytes inflated\n", metaSize - 4u, metaLength);
    Bytes meta(metaLength);
    uLongf size = metaLength;
    if (metaSize >= 4 && 0x58u + metaSize - 4 <= b.size() &&
        uncompress(meta.data(), &size, b.data() + 0x58, metaSize - 4) == Z_OK) {
        std::printf("%s\n", Utf16(meta, 2, size - 2).c_str());
    } else {
        std::printf("(metadata does not inflate)\n");
    }
    std::printf("\nindex\n");
    for (uint64_t i = 0; i < count; ++i) {
        const size_t at = indexOffset + 16 * i;
        std::printf("  %8u  at 0x%s  %8u bytes\n", U32(b, at), Hex(U32(b, at + 4), 8).c_str(), U32(b, at + 8));
    }
    for (uint64_t i = 0; i < count; ++i) {
        const size_t at = indexOffset + 16 * i;
        DumpObject(b, U32(b, at), U32(b, at + 4), U32(b, at + 8), static_cast<uint8_t>(U16(b, 0x0A)));
    }
    return 0;
}
