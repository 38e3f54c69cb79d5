// Decoding the marks of the words of an LRF book's text streams.
#include "support/e2e_look.h"

#include <iterator>
#include <unordered_set>

#include "support/e2e_fb2_book.h"
#include "support/e2e_words.h"

namespace tavorin::test {
namespace {

// Start and end codes of the containers that mark words.
struct Container {
    uint16_t start, end;
    uint8_t mark;
};
constexpr Container kContainers[] = {
    {0xF5A7, 0xF5A8, kMarkLink}, {0xF5B7, 0xF5B8, kMarkSup}, {0xF5B9, 0xF5BA, kMarkSub},
    {0xF581, 0xF582, kMarkEmphasis}};
constexpr uint16_t kFontWeight = 0xF515;
// Codes after which a new line starts: paragraph start and end, line break.
constexpr uint16_t kLineCodes[] = {0xF5A1, 0xF5A2, 0xF5D2};

uint32_t U32In(const std::vector<uint8_t>& s, size_t at) {
    return at + 4 <= s.size() ? s[at] | s[at + 1] << 8 | s[at + 2] << 16 | uint32_t(s[at + 3]) << 24 : 0;
}

// The text block a block id names: itself, or the child of a block wrapper.
const LrfObject* TextBlockOf(const LrfFile& book, uint32_t id) {
    const LrfObject* object = book.Object(id);
    if (object && object->type == 0x06) object = book.Object(U32In(object->stream, 2));
    return object;
}

uint32_t TextStyleOf(const LrfObject& block) {
    const LrfTag* link = block.Find(0xF503);
    return link ? link->U32() : 0;
}

// Text styles of the text blocks that running headers and footers show:
// their stream is the position (F549 with x and y, or F547 and F546) and the
// id of a block, whose stream (F503 and an id) names the text block. Every
// block of such a style is running text (the even pages' copies too).
std::unordered_set<uint32_t> RunningTextStyles(const LrfFile& book) {
    std::unordered_set<uint32_t> ids;
    for (const uint16_t type : {0x03, 0x04}) {
        for (const LrfObject* object : book.OfType(type)) {
            const std::vector<uint8_t>& s = object->stream;
            size_t at = 0;
            while (at + 2 <= s.size() && s[at + 1] == 0xF5) at += s[at] == 0x49 ? 6 : 4;
            if (const LrfObject* shown = TextBlockOf(book, U32In(s, at))) ids.insert(TextStyleOf(*shown));
        }
    }
    return ids;
}

// The text blocks of the title page, the first page that holds text: the
// book's title, authors and annotation, which may repeat the first words of
// the body. A page lists its children (F50B: count, then ids).
std::unordered_set<uint32_t> TitlePageBlocks(const LrfFile& book) {
    std::unordered_set<uint32_t> ids;
    for (const LrfObject* page : book.OfType(0x02)) {
        const LrfTag* children = page->Find(0xF50B);
        for (size_t k = 0; children && 2 + 4 * k + 4 <= children->value.size(); ++k) {
            const LrfObject* child = book.Object(children->U32(2 + 4 * k));
            if (child && child->type == 0x0A) ids.insert(child->id);
        }
        if (!ids.empty()) break;
    }
    return ids;
}

uint16_t StyleWeight(const LrfFile& book, const LrfObject& block) {
    const LrfObject* style = book.Object(TextStyleOf(block));
    const LrfTag* weight = style ? style->Find(kFontWeight) : nullptr;
    return weight ? weight->U16() : 400;
}

}  // namespace

MarkedWords ReadMarkedWords(const LrfFile& book) {
    const std::unordered_set<uint32_t> running = RunningTextStyles(book);
    const std::unordered_set<uint32_t> titlePage = TitlePageBlocks(book);
    std::u32string text;
    std::vector<uint8_t> marks;
    for (const LrfObject* block : book.OfType(0x0A)) {
        if (running.contains(TextStyleOf(*block)) || titlePage.contains(block->id)) continue;
        const uint16_t styleWeight = StyleWeight(book, *block);
        int depth[std::size(kContainers)] = {};
        uint16_t weight = styleWeight;
        const auto current = [&] {
            uint8_t mark = weight > styleWeight ? kMarkStrong : 0;
            for (size_t k = 0; k < std::size(kContainers); ++k) mark |= depth[k] > 0 ? kContainers[k].mark : 0;
            return mark;
        };
        for (const TextItem& item : DecodeTextStream(block->stream)) {
            for (size_t k = 0; k < std::size(kContainers); ++k) {
                depth[k] += item.code == kContainers[k].start;
                depth[k] -= item.code == kContainers[k].end && depth[k] > 0;
            }
            if (item.code == kFontWeight && item.args.size() >= 2) weight = item.args[0] | item.args[1] << 8;
            for (const uint16_t line : kLineCodes) {
                if (item.code == line) text += U' ';
            }
            for (size_t i = 0; i < item.text.size(); ++i) {
                char32_t c = item.text[i];
                if (c >= 0xD800 && c < 0xDC00 && i + 1 < item.text.size()) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (item.text[++i] - 0xDC00);
                }
                text += c;
            }
            marks.resize(text.size(), current());
        }
        text += U' ';
    }
    marks.resize(text.size(), 0);
    MarkedWords read;
    read.words = SplitWords(text, &marks, &read.marks);
    return read;
}

}  // namespace tavorin::test
