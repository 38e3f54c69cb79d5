// Building the typed content of a text block.
#include "lrf/store/text_content.h"

#include <algorithm>

namespace tavorin::lrf {

void TextContent::clear() {
    ops.clear();
    characters.clear();
    tags.clear();
}

void TextContent::Text(WStringView text) {
    if (text.empty()) return;
    const size_t start = characters.size();
    characters.append(text);
    if (!ops.empty() && ops.back().code == TextCode::kText && ops.back().end == start) {
        ops.back().end = characters.size();
        return;
    }
    ops.push_back({TextCode::kText, 0, static_cast<uint32_t>(start), static_cast<uint32_t>(characters.size())});
}

void TextContent::Text(char16_t c) { Text(WStringView(&c, 1)); }

void TextContent::Mark(TextCode code) { ops.push_back({code, 0, 0, 0}); }

void TextContent::Attributes(TextCode code, std::span<const TagValue> values, Console& console) {
    const size_t start = tags.size();
    EncodeTags(kTextAttributes, tags, values, console);
    ops.push_back({code, 0, static_cast<uint32_t>(start), static_cast<uint32_t>(tags.size())});
}

void TextContent::AttributeBytes(TextCode code, std::span<const uint8_t> bytes, uint32_t number) {
    const size_t start = tags.size();
    PutBytes(tags, bytes);
    ops.push_back({code, number, static_cast<uint32_t>(start), static_cast<uint32_t>(tags.size())});
}

void TextContent::Button(uint32_t reference) { ops.push_back({TextCode::kButton, reference, 0, 0}); }

void TextContent::Plot(uint32_t image, int64_t width, int64_t height) {
    const auto clamp = [](int64_t v) { return static_cast<uint32_t>(std::clamp<int64_t>(v, 0, 0xFFFF)); };
    ops.push_back({TextCode::kPlot, image, clamp(width), clamp(height)});
}

void TextContent::AppendOperation(const TextContent& other, const TextOperation& op) {
    switch (op.code) {
        case TextCode::kText: Text(WStringView(other.characters).substr(op.start, op.end - op.start)); return;
        case TextCode::kSpan:
        case TextCode::kSpace:
        case TextCode::kEmpLine:
            AttributeBytes(op.code, std::span<const uint8_t>(other.tags).subspan(op.start, op.end - op.start), op.number);
            return;
        default: ops.push_back(op);
    }
}

void TextContent::Append(const TextContent& other, size_t from) {
    const size_t characterBase = characters.size(), tagBase = tags.size();
    characters += other.characters;
    PutBytes(tags, other.tags);
    for (size_t k = from; k < other.ops.size(); ++k) ops.push_back(Rebased(other.ops[k], characterBase, tagBase));
}

TextOperation Rebased(TextOperation op, size_t characterBase, size_t tagBase) {
    size_t base = 0;
    switch (op.code) {
        case TextCode::kText: base = characterBase; break;
        case TextCode::kSpan:
        case TextCode::kSpace:
        case TextCode::kEmpLine: base = tagBase; break;
        default: return op;
    }
    op.start += static_cast<uint32_t>(base);
    op.end += static_cast<uint32_t>(base);
    return op;
}

}  // namespace tavorin::lrf
