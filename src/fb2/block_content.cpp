// Measuring, testing, trimming and extending block contents on the FB2 side.
#include "fb2/block_content.h"

#include <array>

#include "lrf/tags/tag_table.h"
#include "text/console.h"

namespace tavorin::fb2 {
namespace {

struct WeightRow {
    TextCode code;
    size_t weight;
};

// The weights: the lengths of the marks' written forms.
constexpr std::array<WeightRow, 15> kMarkWeights = {{
    {TextCode::kParagraph, 3},
    {TextCode::kParagraphEnd, 4},
    {TextCode::kEmptyParagraph, 4},
    {TextCode::kLineBreak, 5},
    {TextCode::kItalic, 8},
    {TextCode::kItalicEnd, 9},
    {TextCode::kBold, 6},
    {TextCode::kBoldEnd, 7},
    {TextCode::kSup, 5},
    {TextCode::kSupEnd, 6},
    {TextCode::kSub, 5},
    {TextCode::kSubEnd, 6},
    {TextCode::kSpanEnd, 7},
    {TextCode::kButtonEnd, 13},
    {TextCode::kEmpLineEnd, 10},
}};

// Line types by number, with the tag value each is written as.
struct LineType {
    WStringView name;
    int value;
};
constexpr std::array<LineType, 5> kLineTypes = {{
    {u"none", lrf::kLineNone},
    {u"solid", lrf::kLineSolid},
    {u"dotted", 0x40},
    {u"dashed", 0x20},
    {u"double", 0x30},
}};

const LineType& LineTypeOf(int type) {
    return type >= 0 && type < static_cast<int>(kLineTypes.size()) ? kLineTypes[type] : kLineTypes[kDottedLine];
}

void EncodeLinkLine(lrf::ByteBuffer& bytes, int type) {
    // The values are the converter's own: nothing can be reported.
    StringSink ignored;
    Console console(ignored);
    const lrf::TagValue line[] = {{lrf::Tag::kEmpLinePosition, 2}, {lrf::Tag::kEmpLineType, LineTypeOf(type).value}};
    lrf::EncodeTags(lrf::kTextAttributes, bytes, line, console);
}

}  // namespace

size_t MarkWeight(TextCode code) {
    for (const WeightRow& row : kMarkWeights) {
        if (row.code == code) return row.weight;
    }
    return kPayloadWeight;
}

size_t OpWeight(const TextOperation& op) {
    switch (op.code) {
        case TextCode::kText: return op.end - op.start;
        case TextCode::kButton: return kButtonWeight;
        default: return MarkWeight(op.code);
    }
}

size_t ContentWeight(const TextContent& content) {
    size_t weight = 0;
    for (const TextOperation& op : content.ops) weight += OpWeight(op);
    return weight;
}

WStringView TextOf(const TextContent& content, const TextOperation& op) {
    return WStringView(content.characters).substr(op.start, op.end - op.start);
}

bool IsBlankText(const TextContent& content, const TextOperation& op) {
    if (op.code != TextCode::kText) return false;
    for (const char16_t c : TextOf(content, op)) {
        if (c != u' ' && c != u'\r' && c != u'\n') return false;
    }
    return true;
}

bool IsBlankContent(const TextContent& content) {
    for (const TextOperation& op : content.ops) {
        if (op.code != TextCode::kText || !IsBlank(TextOf(content, op))) return false;
    }
    return true;
}

bool HasCode(const TextContent& content, TextCode code) {
    for (const TextOperation& op : content.ops) {
        if (op.code == code) return true;
    }
    return false;
}

bool HasContent(const TextContent& content) {
    const TextOperation* shown = nullptr;
    size_t blanks = 0, count = 0;
    for (const TextOperation& op : content.ops) {
        if (IsBlankText(content, op)) {
            blanks += op.end - op.start;
            continue;
        }
        shown = &op;
        ++count;
    }
    if (count == 0) return false;
    if (count > 1) return true;
    const bool lone = shown->code == TextCode::kLineBreak || shown->code == TextCode::kParagraph ||
                      shown->code == TextCode::kParagraphEnd;
    // A lone mark among many blanks still counts, as a long text does.
    return !lone || blanks + MarkWeight(shown->code) >= 10;
}

void TrimContent(TextContent& content) {
    auto& ops = content.ops;
    size_t first = 0;
    while (first < ops.size() && ops[first].code == TextCode::kText) {
        TextOperation& op = ops[first];
        while (op.start < op.end && IsBlankChar(content.characters[op.start])) ++op.start;
        if (op.start < op.end) break;
        ++first;
    }
    ops.erase(ops.begin(), ops.begin() + static_cast<std::ptrdiff_t>(first));
    TrimContentEnd(content);
}

void TrimContentEnd(TextContent& content) {
    auto& ops = content.ops;
    while (!ops.empty() && ops.back().code == TextCode::kText) {
        TextOperation& op = ops.back();
        while (op.end > op.start && IsBlankChar(content.characters[op.end - 1])) --op.end;
        if (op.end > op.start) break;
        ops.pop_back();
    }
}

void InsertMarks(TextContent& content, size_t at, std::initializer_list<TextCode> codes) {
    std::vector<TextOperation> marks;
    for (const TextCode code : codes) marks.push_back({code, 0, 0, 0});
    content.ops.insert(content.ops.begin() + static_cast<std::ptrdiff_t>(at), marks.begin(), marks.end());
}

void InsertContent(TextContent& content, size_t at, const TextContent& part) {
    const size_t before = content.ops.size();
    content.Append(part);
    std::rotate(content.ops.begin() + static_cast<std::ptrdiff_t>(at),
                content.ops.begin() + static_cast<std::ptrdiff_t>(before), content.ops.end());
}

void LinkLine(TextContent& content, int type) {
    lrf::ByteBuffer bytes;
    EncodeLinkLine(bytes, type);
    content.AttributeBytes(TextCode::kEmpLine, bytes, LineTypeOf(type).value == lrf::kLineNone ? 1 : 0);
}

WStringView LineTypeName(int type) { return LineTypeOf(type).name; }

void SetLinkLineType(TextContent& content, size_t op, int type) {
    TextOperation& line = content.ops[op];
    line.start = content.tags.size();
    EncodeLinkLine(content.tags, type);
    line.end = content.tags.size();
    line.number = LineTypeOf(type).value == lrf::kLineNone ? 1 : 0;
}

}  // namespace tavorin::fb2
