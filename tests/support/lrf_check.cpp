// Reading LRF files back in tests, and the structure check.
#include "support/lrf_check.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <initializer_list>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace tavorin::test {

namespace {

using Bytes = std::vector<uint8_t>;
using Problems = std::vector<std::string>;

uint16_t U16At(const Bytes& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }
uint32_t U32At(const Bytes& b, size_t at) {
    return uint32_t(b[at]) | (uint32_t(b[at + 1]) << 8) | (uint32_t(b[at + 2]) << 16) | (uint32_t(b[at + 3]) << 24);
}
uint64_t U64At(const Bytes& b, size_t at) { return U32At(b, at) | (uint64_t(U32At(b, at + 4)) << 32); }

std::string Hex(uint32_t v, int digits = 4) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*X", digits, v);
    return buf;
}

void Add(Problems* problems, std::string text) {
    if (problems) problems->push_back(std::move(text));
}

// Value sizes of the tags with a fixed size.
const std::unordered_map<uint16_t, int>& FixedSizes() {
    static const std::unordered_map<uint16_t, int> sizes = [] {
        std::unordered_map<uint16_t, int> m;
        auto set = [&](std::initializer_list<uint16_t> codes, int size) {
            for (const uint16_t c : codes) m[c] = size;
        };
        set({0xF501, 0xF506, 0xF566, 0xF567, 0xF56A, 0xF56B, 0xF581, 0xF582, 0xF5A2, 0xF5A8, 0xF5B7, 0xF5B8, 0xF5B9,
             0xF5BA, 0xF5C1, 0xF5C2, 0xF5D2},
            0);
        set({0xF511, 0xF512, 0xF513, 0xF514, 0xF515, 0xF519, 0xF51A, 0xF51B, 0xF51C, 0xF51D, 0xF51E, 0xF521, 0xF522,
             0xF523, 0xF524, 0xF525, 0xF526, 0xF527, 0xF528, 0xF52A, 0xF52B, 0xF52C, 0xF52E, 0xF531, 0xF532, 0xF533,
             0xF535, 0xF536, 0xF538, 0xF539, 0xF53A, 0xF53C, 0xF53D, 0xF53E, 0xF546, 0xF547, 0xF554, 0xF561, 0xF575,
             0xF576, 0xF577, 0xF579, 0xF57A, 0xF5CA, 0xF5DA, 0xF5DD, 0xF5F1, 0xF5F4},
            2);
        set({0xF503, 0xF504, 0xF507, 0xF508, 0xF509, 0xF50A, 0xF517, 0xF518, 0xF534, 0xF537, 0xF549, 0xF54B, 0xF54C,
             0xF57B, 0xF57C, 0xF5A1, 0xF5A7, 0xF5D8, 0xF5F2, 0xF5F5, 0xF5F6},
            4);
        set({0xF500, 0xF529}, 6);
        set({0xF54A, 0xF56C}, 8);
        set({0xF5D1}, 12);
        set({0xF573}, 10);
        return m;
    }();
    return sizes;
}

// Size of the value of the tag `code` whose value starts at `at`; -1 when the
// tag is unknown or its value runs past `end`.
long ValueSize(uint16_t code, const Bytes& b, size_t at, size_t end) {
    long size = -1;
    const auto fixed = FixedSizes().find(code);
    if (fixed != FixedSizes().end()) {
        size = fixed->second;
    } else if (at + 2 <= end) {
        const uint16_t n = U16At(b, at);
        switch (code) {
            case 0xF50B:
            case 0xF55C: size = 2 + 4L * n; break;
            case 0xF516:
            case 0xF559:
            case 0xF55D:
            case 0xF5CC: size = 2 + long(n); break;
            case 0xF578:  // 4 zero bytes, F516 with a counted name, the character code
                if (at + 8 <= end) size = 4 + 2 + 2 + long(U16At(b, at + 6)) + 2;
                break;
            default: break;
        }
    }
    return size >= 0 && at + size_t(size) <= end ? size : -1;
}

bool Inflate(const uint8_t* data, size_t size, size_t expected, Bytes& out, size_t* consumed = nullptr) {
    out.assign(expected, 0);
    uLongf outSize = static_cast<uLongf>(expected);
    uLong inSize = static_cast<uLong>(size);
    Bytes scratch(1);  // uncompress2 needs a buffer even for an empty result
    const int rc = uncompress2(expected ? out.data() : scratch.data(), &outSize, data, &inSize);
    if (consumed) *consumed = inSize;
    return rc == Z_OK && outSize == expected;
}

void DecodeStream(LrfObject& obj, uint8_t key, Problems* problems) {
    Bytes bytes = obj.storedStream;
    if (obj.streamFlags & 0x0200) Descramble(bytes, key, obj.type);
    if (obj.streamFlags & 0x0100) {
        if (bytes.size() < 4) {
            Add(problems, "object " + std::to_string(obj.id) + ": compressed stream shorter than its length word");
            return;
        }
        const uint32_t length = U32At(bytes, 0);
        if (!Inflate(bytes.data() + 4, bytes.size() - 4, length, obj.stream)) {
            Add(problems, "object " + std::to_string(obj.id) + ": stream does not inflate to its length " +
                              std::to_string(length));
        }
    } else {
        obj.stream = std::move(bytes);
    }
}

void ParseObject(const Bytes& file, LrfObject& obj, uint8_t key, Problems* problems) {
    const std::string name = "object " + std::to_string(obj.id);
    const size_t end = size_t(obj.offset) + obj.size;
    if (obj.size < 10 || end > file.size()) {
        Add(problems, name + ": index entry outside the file");
        return;
    }
    if (U16At(file, obj.offset) != 0xF500 || U32At(file, obj.offset + 2) != obj.id) {
        Add(problems, name + ": index offset does not point at 00 F5 and the same id");
        return;
    }
    obj.type = U16At(file, obj.offset + 6);
    if (U16At(file, end - 2) != 0xF501) Add(problems, name + ": does not end with 01 F5");
    size_t at = obj.offset + 8;
    bool haveSize = false;
    uint32_t streamSize = 0;
    while (at + 2 <= end) {
        const uint16_t code = U16At(file, at);
        at += 2;
        if (code == 0xF501) {
            if (at != end) Add(problems, name + ": F501 before the end of the object");
            if (obj.hasStream) DecodeStream(obj, key, problems);
            return;
        }
        if (code == 0xF505) {
            if (!haveSize || at + streamSize + 2 > end) {
                Add(problems, name + ": stream without size or running past the object");
                return;
            }
            obj.hasStream = true;
            obj.storedStream.assign(file.begin() + at, file.begin() + at + streamSize);
            at += streamSize;
            if (U16At(file, at) != 0xF506) Add(problems, name + ": stream not closed by F506");
            at += 2;
            continue;
        }
        const long size = ValueSize(code, file, at, end);
        if (size < 0) {
            Add(problems, name + ": unknown or cut tag " + Hex(code));
            return;
        }
        if (code == 0xF554) {
            obj.streamFlags = U16At(file, at);
        } else if (code == 0xF504) {
            haveSize = true;
            streamSize = U32At(file, at);
        } else {
            obj.tags.push_back({code, Bytes(file.begin() + at, file.begin() + at + size)});
        }
        at += size_t(size);
    }
    Add(problems, name + ": no F501");
}

// Walks a page stream, a block stream or a header stream: tags only.
std::vector<LrfTag> StreamTags(const LrfObject& obj, Problems* problems) {
    std::vector<LrfTag> tags;
    const Bytes& s = obj.stream;
    size_t at = 0;
    while (at + 2 <= s.size()) {
        const uint16_t code = U16At(s, at);
        at += 2;
        long size = ValueSize(code, s, at, s.size());
        // In headers and footers F549 carries x, y and the id of the block shown.
        if (code == 0xF549 && (obj.type == 3 || obj.type == 4)) size = at + 8 <= s.size() ? 8 : -1;
        if (size < 0) {
            Add(problems, "object " + std::to_string(obj.id) + ": unknown or cut tag " + Hex(code) + " in stream");
            break;
        }
        tags.push_back({code, Bytes(s.begin() + at, s.begin() + at + size)});
        at += size_t(size);
    }
    return tags;
}

class RefChecker {
public:
    RefChecker(const LrfFile& f, Problems& p) : f_(f), p_(p) {}
    void Require(const LrfObject& from, uint32_t id, std::initializer_list<uint16_t> types, const std::string& what) {
        const LrfObject* target = f_.Object(id);
        const std::string where = "object " + std::to_string(from.id) + " (type " + Hex(from.type, 2) + ") " + what;
        if (!target) {
            p_.push_back(where + " refers to missing id " + std::to_string(id));
            return;
        }
        if (types.size() == 0) return;
        for (const uint16_t t : types) {
            if (target->type == t) return;
        }
        p_.push_back(where + " refers to id " + std::to_string(id) + " of type " + Hex(target->type, 2));
    }

private:
    const LrfFile& f_;
    Problems& p_;
};

void CheckTocStream(const LrfObject& toc, RefChecker& refs, Problems& p) {
    const Bytes& s = toc.stream;
    if (s.size() < 4) {
        p.push_back("table of contents: stream shorter than its count");
        return;
    }
    const uint32_t n = U32At(s, 0);
    size_t entries = 4 + 4 * size_t(n);
    if (entries > s.size()) {
        p.push_back("table of contents: offsets run past the stream");
        return;
    }
    size_t at = entries;
    for (uint32_t i = 0; i < n; ++i) {
        if (U32At(s, 4 + 4 * i) != at - entries) p.push_back("table of contents: wrong offset of entry " + std::to_string(i));
        if (at + 10 > s.size() || at + 10 + U16At(s, at + 8) > s.size()) {
            p.push_back("table of contents: entry " + std::to_string(i) + " runs past the stream");
            return;
        }
        refs.Require(toc, U32At(s, at), {2}, "TOC entry page");
        refs.Require(toc, U32At(s, at + 4), {6}, "TOC entry block");
        at += 10 + U16At(s, at + 8);
    }
    if (at != s.size()) p.push_back("table of contents: bytes after the last entry");
}

void CheckReferences(const LrfFile& f, Problems& p) {
    RefChecker refs(f, p);
    for (const LrfObject& o : f.objects) {
        for (const LrfTag& t : o.tags) {
            switch (t.code) {
                case 0xF503: {
                    const uint16_t style = o.type == 2 ? 5 : o.type == 6 ? 7 : 0x0B;
                    refs.Require(o, t.U32(), {style}, "style link");
                    break;
                }
                case 0xF507:
                case 0xF508: refs.Require(o, t.U32(), {3}, "header slot"); break;
                case 0xF509:
                case 0xF50A: refs.Require(o, t.U32(), {4}, "footer slot"); break;
                case 0xF50B:
                    for (size_t k = 0; k < t.U16(); ++k) refs.Require(o, t.U32(2 + 4 * k), {}, "child list");
                    break;
                case 0xF55C:
                    for (size_t k = 0; k < t.U16(); ++k) refs.Require(o, t.U32(2 + 4 * k), {2}, "page list");
                    break;
                case 0xF54C: refs.Require(o, t.U32(), {0x11}, "image stream"); break;
                case 0xF57B:
                case 0xF57C: refs.Require(o, t.U32(), {1}, "page tree"); break;
                case 0xF5D8: refs.Require(o, t.U32(), {0x19}, "font"); break;
                case 0xF56C:
                    // A link whose target is not in the book keeps both ids 0
                    // (readers parse it); any other target must exist.
                    if (t.U32() == 0 && t.U32(4) == 0) break;
                    refs.Require(o, t.U32(), {2}, "button page");
                    refs.Require(o, t.U32(4), {6}, "button block");
                    break;
                default: break;
            }
        }
        switch (o.type) {
            case 2:
            case 6:
            case 3:
            case 4:
                for (const LrfTag& t : StreamTags(o, &p)) {
                    if (t.code == 0xF503 && o.type == 2) refs.Require(o, t.U32(), {6}, "page stream block");
                    if (t.code == 0xF503 && o.type == 6) refs.Require(o, t.U32(), {0x0A, 0x0C, 0x1D}, "block child");
                    if (t.code == 0xF549) refs.Require(o, t.U32(4), {6}, "header block");
                }
                break;
            case 0x0A:
                for (const TextItem& item : DecodeTextStream(o.stream)) {
                    if (item.code == 0xF5A7) refs.Require(o, U32At(item.args, 0), {0x13}, "CharButton");
                    if (item.code == 0xF5D1) refs.Require(o, U32At(item.args, 4), {0x0C}, "Plot");
                }
                break;
            case 0x11:
                if ((o.streamFlags & 0xFF) < 0x11 || (o.streamFlags & 0xFF) > 0x14) {
                    p.push_back("image stream " + std::to_string(o.id) + ": flags " + Hex(o.streamFlags));
                }
                break;
            case 0x1E: CheckTocStream(o, refs, p); break;
            default: break;
        }
    }
}

}  // namespace

uint16_t LrfTag::U16(size_t at) const { return U16At(value, at); }
uint32_t LrfTag::U32(size_t at) const { return U32At(value, at); }

const LrfTag* LrfObject::Find(uint16_t code) const {
    for (const LrfTag& t : tags) {
        if (t.code == code) return &t;
    }
    return nullptr;
}

std::vector<const LrfTag*> LrfObject::FindAll(uint16_t code) const {
    std::vector<const LrfTag*> found;
    for (const LrfTag& t : tags) {
        if (t.code == code) found.push_back(&t);
    }
    return found;
}

const LrfObject* LrfFile::Object(uint32_t id) const {
    const auto it = byId.find(id);
    return it == byId.end() ? nullptr : &objects[it->second];
}

std::vector<const LrfObject*> LrfFile::OfType(uint16_t type) const {
    std::vector<const LrfObject*> found;
    for (const LrfObject& o : objects) {
        if (o.type == type) found.push_back(&o);
    }
    return found;
}

std::u16string LrfFile::MetadataText() const {
    std::u16string text;
    for (size_t at = 2; at + 1 < metadata.size(); at += 2) text.push_back(U16At(metadata, at));
    return text;
}

void Descramble(std::vector<uint8_t>& bytes, uint8_t key, uint16_t objectType) {
    if (key < 1 || key > 240) return;
    const auto x = static_cast<uint8_t>(bytes.size() % key + 15);
    size_t n = bytes.size();
    if ((objectType == 0x11 || objectType == 0x19) && n > 0x400) n = 0x400;
    for (size_t i = 0; i < n; ++i) bytes[i] ^= x;
}

LrfFile ReadLrf(const std::vector<uint8_t>& file, std::vector<std::string>* problems) {
    LrfFile f;
    if (file.size() < 0x58) {
        Add(problems, "file shorter than the 88-byte header");
        return f;
    }
    f.version = U16At(file, 0x08);
    f.scrambleKey = U16At(file, 0x0A);
    f.rootId = U32At(file, 0x0C);
    f.objectCount = U64At(file, 0x10);
    f.indexOffset = U64At(file, 0x18);
    f.bindingDirection = U16At(file, 0x24);
    f.dpi = U32At(file, 0x26);
    f.screenWidth = U16At(file, 0x2A);
    f.screenHeight = U16At(file, 0x2C);
    f.colorDepth = U16At(file, 0x2E);
    f.tocId = U32At(file, 0x44);
    f.tocOffset = U32At(file, 0x48);
    f.metadataSize = U16At(file, 0x4C);
    f.thumbnailType = U16At(file, 0x4E);
    f.thumbnailSize = U32At(file, 0x50);
    f.metadataUncompressedSize = U32At(file, 0x54);

    const size_t packed = f.metadataSize >= 4 ? f.metadataSize - 4 : 0;
    size_t consumed = 0;
    if (0x58 + packed > file.size() ||
        !Inflate(file.data() + 0x58, packed, f.metadataUncompressedSize, f.metadata, &consumed) || consumed != packed) {
        Add(problems, "metadata does not inflate to exactly " + std::to_string(f.metadataUncompressedSize) + " bytes");
    }
    if (0x58 + packed + f.thumbnailSize <= file.size())  // the thumbnail follows the metadata
        f.thumbnail.assign(file.begin() + 0x58 + packed, file.begin() + 0x58 + packed + f.thumbnailSize);

    if (f.indexOffset > file.size() || f.objectCount > (file.size() - f.indexOffset) / 16) {
        Add(problems, "object index runs past the end of the file");
        return f;
    }
    for (uint64_t i = 0; i < f.objectCount; ++i) {
        const size_t at = f.indexOffset + 16 * i;
        LrfObject obj;
        obj.id = U32At(file, at);
        obj.offset = U32At(file, at + 4);
        obj.size = U32At(file, at + 8);
        if (!f.byId.emplace(obj.id, f.objects.size()).second) Add(problems, "id " + std::to_string(obj.id) + " twice");
        ParseObject(file, obj, static_cast<uint8_t>(f.scrambleKey), problems);
        f.objects.push_back(std::move(obj));
    }
    if (f.indexOffset + 16 * f.objectCount != file.size()) Add(problems, "bytes after the object index");
    return f;
}

// The counted lists are complete: every page sits in the page tree it names,
// every block of a page's stream is in its child list, and the contents list
// holds no more entries than readers count (16 bits).
void CheckCountedLists(const LrfFile& f, Problems& p) {
    std::unordered_map<uint32_t, std::unordered_set<uint32_t>> trees;
    for (const LrfObject* tree : f.OfType(1)) {
        if (const LrfTag* list = tree->Find(0xF55C)) {
            for (size_t k = 0; k < list->U16(); ++k) trees[tree->id].insert(list->U32(2 + 4 * k));
        }
    }
    size_t outside = 0, unlisted = 0;
    for (const LrfObject* page : f.OfType(2)) {
        const LrfTag* parent = page->Find(0xF57C);
        if (!parent || !trees[parent->U32()].contains(page->id)) ++outside;
        std::unordered_set<uint32_t> children;
        if (const LrfTag* list = page->Find(0xF50B)) {
            for (size_t k = 0; k < list->U16(); ++k) children.insert(list->U32(2 + 4 * k));
        }
        for (const LrfTag& t : StreamTags(*page, nullptr)) {
            if (t.code == 0xF503 && !children.contains(t.U32())) ++unlisted;
        }
    }
    if (outside) p.push_back(std::to_string(outside) + " pages missing from the page tree they name");
    if (unlisted) p.push_back(std::to_string(unlisted) + " blocks of page streams missing from their child lists");
    for (const LrfObject* toc : f.OfType(0x1E)) {
        if (toc->stream.size() >= 4 && U32At(toc->stream, 0) > 0xFFFF) p.push_back("table of contents: over 65535 entries");
    }
}

std::vector<std::string> CheckLrfStructure(const std::vector<uint8_t>& file) {
    Problems p;
    const LrfFile f = ReadLrf(file, &p);
    if (file.size() < 0x58) return p;
    static const uint8_t kSignature[8] = {'L', 0, 'R', 0, 'F', 0, 0, 0};
    if (!std::equal(std::begin(kSignature), std::end(kSignature), file.begin())) p.push_back("bad signature");
    if (f.version != 999) p.push_back("version " + std::to_string(f.version));
    if (f.scrambleKey < 1 || f.scrambleKey > 240) p.push_back("scramble key " + std::to_string(f.scrambleKey));
    if (f.indexOffset % 16 != 0) p.push_back("index offset not a multiple of 16");
    if (f.metadataSize < 4) p.push_back("metadata size below 4");
    if (f.metadata.size() < 2 || f.metadata[0] != 0xFF || f.metadata[1] != 0xFE) {
        p.push_back("metadata does not start with FF FE");
    }
    const auto tocs = f.OfType(0x1E);
    if (tocs.size() != 1) p.push_back(std::to_string(tocs.size()) + " table-of-contents objects");
    const LrfObject* toc = f.Object(f.tocId);
    if (!toc || toc->type != 0x1E || toc->offset != f.tocOffset) {
        p.push_back("header TOC id/offset do not name the table of contents");
    }
    const LrfObject* root = f.Object(f.rootId);
    if (!root || root->type != 0x1C) p.push_back("root is not the book attributes object");
    CheckReferences(f, p);
    CheckCountedLists(f, p);
    return p;
}

std::vector<TextItem> DecodeTextStream(const std::vector<uint8_t>& stream) {
    std::vector<TextItem> items;
    size_t at = 0;
    while (at + 2 <= stream.size()) {
        const uint16_t unit = U16At(stream, at);
        at += 2;
        const long size = (unit >> 8) == 0xF5 ? ValueSize(unit, stream, at, stream.size()) : -1;
        if (size < 0) {
            if (items.empty() || items.back().code != 0) items.emplace_back();
            items.back().text.push_back(unit);
            continue;
        }
        items.push_back({unit, Bytes(stream.begin() + at, stream.begin() + at + size), {}});
        at += size_t(size);
    }
    return items;
}

std::u16string TextStreamText(const std::vector<uint8_t>& stream) {
    std::u16string text;
    for (const TextItem& item : DecodeTextStream(stream)) text += item.text;
    return text;
}

}  // namespace tavorin::test
