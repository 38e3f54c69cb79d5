// Decoding the marks of the words of an LRF book's text streams.
#include "support/e2e_look.h"

#include "support/e2e_fb2_book.h"
#include "support/e2e_words.h"

namespace tavorin::test {
namespace {

// Start and end codes of the containers that mark words.
constexpr uint16_t kContainers[][3] = {{0xF5A7, 0xF5A8, kMarkLink}, {0xF5B7, 0xF5B8, kMarkSup},
                                       {0xF5B9, 0xF5BA, kMarkSub}, {0xF581, 0xF582, kMarkEmphasis}};

// The object an F503 value (a page's block, a block's child, a text style) names.
const LrfObject* Linked(const LrfFile& book, const std::vector<uint8_t>& v) {
    return v.size() == 4 ? book.Object(v[0] | v[1] << 8 | v[2] << 16 | uint32_t(v[3]) << 24) : nullptr;
}

void ReadTextBlock(const LrfFile& book, const LrfObject& block, std::u32string& text, std::vector<uint8_t>& marks) {
    const LrfObject* style = block.Find(0xF503) ? Linked(book, block.Find(0xF503)->value) : nullptr;
    const uint16_t normal = style && style->Find(0xF515) ? style->Find(0xF515)->U16() : 400;
    uint16_t weight = normal;
    int depth[4] = {};
    for (const TextItem& item : DecodeTextStream(block.stream)) {
        uint8_t mark = 0;
        for (size_t k = 0; k < 4; ++k) {
            depth[k] += item.code == kContainers[k][0];
            depth[k] -= item.code == kContainers[k][1] && depth[k] > 0;
            mark |= depth[k] > 0 ? kContainers[k][2] : 0;
        }
        if (item.code == 0xF515 && item.args.size() == 2) weight = item.args[0] | item.args[1] << 8;
        if (item.code == 0xF5A1 || item.code == 0xF5A2 || item.code == 0xF5D2) text += U' ';  // paragraphs, lines
        for (size_t i = 0; i < item.text.size(); ++i) {
            const char32_t c = item.text[i];
            const bool pair = c >= 0xD800 && c < 0xDC00 && i + 1 < item.text.size();
            text += pair ? 0x10000 + ((c - 0xD800) << 10) + (item.text[++i] - 0xDC00) : c;
        }
        marks.resize(text.size(), mark | (weight > normal ? kMarkStrong : 0));
    }
    text += U' ';
}

// The block a page stream item places, through its block wrapper.
const LrfObject* PlacedBlock(const LrfFile& book, const TextItem& item) {
    const LrfObject* block = item.code == 0xF503 ? Linked(book, item.args) : nullptr;
    if (!block || block->type != 0x06) return block;
    const auto wrapped = DecodeTextStream(block->stream);
    return wrapped.empty() ? nullptr : Linked(book, wrapped[0].args);
}

}  // namespace

bool FirstPageShowsSomething(const LrfFile& book) {
    const auto roots = book.OfType(0x1C);
    const LrfObject* tree = roots.empty() || !roots[0]->Find(0xF57B) ? nullptr : book.Object(roots[0]->Find(0xF57B)->U32());
    const LrfTag* pages = tree ? tree->Find(0xF55C) : nullptr;
    const LrfObject* page = pages && pages->U16() > 0 ? book.Object(pages->U32(2)) : nullptr;
    if (!page) return false;
    for (const TextItem& item : DecodeTextStream(page->stream)) {
        const LrfObject* block = PlacedBlock(book, item);
        if (block && block->type == 0x0C) return true;
        if (!block || block->type != 0x0A) continue;
        for (const TextItem& part : DecodeTextStream(block->stream)) {
            if (part.code == 0xF5D1) return true;  // an image in a line
            for (const char16_t c : part.text) {
                if (c > u' ' && c != 0x00A0 && c != 0x3000) return true;
            }
        }
    }
    return false;
}

const LrfObject* TextBlockOf(const LrfFile& book, uint32_t id) {
    const LrfObject* block = book.Object(id);
    if (block && block->type == 0x06) {  // a block wrapper names its text block
        const auto wrapped = DecodeTextStream(block->stream);
        block = wrapped.empty() ? nullptr : Linked(book, wrapped[0].args);
    }
    return block && block->type == 0x0A ? block : nullptr;
}

// Each block ends in a blank, so its words are split on their own.
std::vector<std::u32string> ReadMarkedWords(const LrfFile& book, std::vector<uint8_t>& marks,
                                            std::vector<uint32_t>* blocks) {
    std::vector<std::u32string> words;
    marks.clear();
    bool titlePage = true;
    for (const LrfObject* page : book.OfType(0x02)) {
        const size_t before = words.size();
        bool hasText = false;
        for (const TextItem& item : DecodeTextStream(page->stream)) {
            const LrfObject* linked = item.code == 0xF503 ? Linked(book, item.args) : nullptr;
            const LrfObject* block = linked ? TextBlockOf(book, linked->id) : nullptr;
            if (!block) continue;
            std::u32string text;
            std::vector<uint8_t> charMarks, wordMarks;
            ReadTextBlock(book, *block, text, charMarks);
            for (auto& word : SplitWords(text, &charMarks, &wordMarks)) words.push_back(std::move(word));
            marks.insert(marks.end(), wordMarks.begin(), wordMarks.end());
            if (blocks) blocks->resize(words.size(), block->id);
            hasText = true;
        }
        if (titlePage && hasText) {
            titlePage = false;
            words.resize(before);
            marks.resize(before);
            if (blocks) blocks->resize(before);
        }
    }
    return words;
}

}  // namespace tavorin::test
