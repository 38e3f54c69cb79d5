// Text blocks: the conversion of a block's content into the codes of an LRF
// text stream, and the text block writer.
#include "lrf/writer/text_stream.h"

#include <algorithm>
#include <array>
#include <utility>

#include "lrf/store/builders.h"
#include "lrf/tags/tag_table.h"
#include "lrf/writer/object_writers.h"
#include "lrf/writer/writer_output.h"

namespace tavorin::lrf {

namespace {

// The credit paragraph at the end of every book. Its "v.1.3" is fixed text,
// not the program's version (that comes from CMake's PROJECT_VERSION): the
// books this program writes stay byte for byte the same from release to
// release, so the credit does not follow the version.
constexpr WStringView kCreditText = u"Converted from FB2 to LRF by tavorin_c v.1.3";
constexpr int kCreditLineBreaks = 5;

TextContent CreditParagraph(Console& console) {
    TextContent credit;
    for (int i = 0; i < kCreditLineBreaks; ++i) credit.Mark(TextCode::kLineBreak);
    credit.Mark(TextCode::kParagraph);
    const TagValue look[] = {{Tag::kFontSize, 60}, {Tag::kFontWidth, -10}, {Tag::kParIndent, 0}};
    credit.Attributes(TextCode::kSpan, look, console);
    credit.Mark(TextCode::kItalic);
    credit.Text(kCreditText);
    credit.Mark(TextCode::kItalicEnd);
    credit.Mark(TextCode::kSpanEnd);
    credit.Mark(TextCode::kParagraphEnd);
    return credit;
}

// Operations that write one code and nothing else.
struct PlainCode {
    TextCode op;
    uint16_t code;
};
constexpr std::array<PlainCode, 7> kPlainCodes = {{
    {TextCode::kLineBreak, kTagLineBreak},
    {TextCode::kItalic, kTagItalic},
    {TextCode::kItalicEnd, kTagItalicEnd},
    {TextCode::kSup, kTagSup},
    {TextCode::kSupEnd, kTagSupEnd},
    {TextCode::kSub, kTagSub},
    {TextCode::kSubEnd, kTagSubEnd},
}};

// Where a Plot's image stands in its line (1 centre, 2 baseline, 3 top, 4
// bottom): at the bottom, the value readers take when they are unsure.
// calibre's reader draws every value alike, standing on the baseline.
constexpr uint32_t kPlotAdjustment = 4;

bool IsTagCode(uint16_t word) { return (word >> 8) == 0xF5; }

// A character written as itself: none that the device forms or the line
// structure write otherwise.
bool IsPlainCharacter(char16_t c) {
    if (c > u'\r') return c != u'\u2014' && c != u'\u00A0';
    return c != u'\r' && c != u'\n';
}

// Whether the block is the last text block of the main flow, which receives
// the credit paragraph.
bool CarriesCredit(const ObjectStore& s, ElementKind kind, size_t number) {
    return s.hasLastPageBlock && s.lastPageBlockKind == kind && s.lastPageBlockNumber == number;
}

template <class T>
std::span<const T> Run(const std::vector<T>& items, const Range& range) {
    return std::span<const T>(items).subspan(range.start, range.size());
}

}  // namespace

TextStreamEncoder::TextStreamEncoder(std::span<const uint8_t> styleTags, const std::vector<ButtonRecord>& buttons,
                                     std::span<const uint32_t> buttonRefs, bool deviceCharacters,
                                     std::span<const ImageBlockRecord> images)
    : styleTags_(styleTags),
      buttons_(buttons),
      buttonRefs_(buttonRefs),
      deviceCharacters_(deviceCharacters),
      images_(images) {}

void TextStreamEncoder::Feed(const TextContentView& content) {
    // The codes take about two bytes per character and a few per operation:
    // room for that spares the stream its regrowths. (The view's characters
    // may be the whole book's; only those of its own runs count.)
    size_t characters = 0;
    for (const TextOperation& op : content.ops) {
        if (op.code == TextCode::kText) characters += op.end - op.start;
    }
    stream_.reserve(stream_.size() + 2 * characters + 6 * content.ops.size());
    for (const TextOperation& op : content.ops) Operation(op, content);
}

void TextStreamEncoder::Operation(const TextOperation& op, const TextContentView& content) {
    const auto tags = [&] { return content.tags.subspan(op.start, op.end - op.start); };
    switch (op.code) {
        case TextCode::kText: Characters(content.characters.substr(op.start, op.end - op.start)); return;
        case TextCode::kParagraph: StartParagraph(); return;
        case TextCode::kParagraphEnd:
            RestoreSpan();
            EndParagraph();
            return;
        case TextCode::kEmptyParagraph:
            PutTag32(stream_, kTagParagraph, 0);
            PutTag(stream_, kTagParagraphEnd);
            return;
        case TextCode::kBold:
        case TextCode::kBoldEnd: BoldWeight(op.code == TextCode::kBold); return;
        case TextCode::kSpan: ApplySpan(tags()); return;
        case TextCode::kSpanEnd: RestoreSpan(); return;
        case TextCode::kSpace:
            // Written once; it ends any span, which nothing restores then.
            PutBytes(stream_, tags());
            span_.clear();
            return;
        case TextCode::kButton: StartButton(op.number); return;
        case TextCode::kButtonEnd:
            if (!buttonDropped_) PutTag(stream_, kTagButtonEnd);
            buttonDropped_ = empLineDropped_ = false;
            return;
        case TextCode::kEmpLine: EmpLine(op, tags()); return;
        case TextCode::kEmpLineEnd: EndEmpLine(); return;
        case TextCode::kPlot: Plot(op); return;
        default: break;
    }
    for (const PlainCode& plain : kPlainCodes) {
        if (plain.op == op.code) PutTag(stream_, plain.code);
    }
}

// Reading devices' fonts show a no-break space written as U+000C and have no
// em dash; software readers show the characters themselves. Line feeds and
// carriage returns are not text: lines end with line breaks.
void TextStreamEncoder::Characters(WStringView text) {
    size_t i = 0;
    while (i < text.size()) {
        size_t end = i;
        while (end < text.size() && IsPlainCharacter(text[end])) ++end;
        PutUtf16(stream_, text.substr(i, end - i));
        if (end == text.size()) return;
        char16_t c = text[end];
        i = end + 1;
        if (c == u'\r' || c == u'\n') continue;
        if (deviceCharacters_ && c == u'\u2014') c = u'\u2013';
        if (deviceCharacters_ && c == u'\u00A0') c = 0x000C;
        PutU16(stream_, c);
    }
}

void TextStreamEncoder::StartParagraph() {
    PutTag32(stream_, kTagParagraph, 0);
    ++openParagraphs_;
}

// A paragraph end whose start lies in another block has no paragraph to
// close here; readers reject such a stream.
void TextStreamEncoder::EndParagraph() {
    if (openParagraphs_ == 0) return;
    PutTag(stream_, kTagParagraphEnd);
    --openParagraphs_;
}

// A span sets text attributes until its end or its paragraph's end; its
// attributes replace the remembered span (spans do not nest).
void TextStreamEncoder::ApplySpan(std::span<const uint8_t> tags) {
    span_.assign(tags.begin(), tags.end());
    PutBytes(stream_, span_);
}

// Sets every attribute the span changed back to the text style's value: the
// style's tag with the same code and its value words. An attribute the style
// does not carry writes nothing.
void TextStreamEncoder::RestoreSpan() {
    if (span_.empty()) return;
    const size_t styleWords = styleTags_.size() / 2;
    auto styleWord = [&](size_t k) { return GetU16(styleTags_, 2 * k); };
    for (size_t at = 0; at + 1 < span_.size(); at += 2) {
        const uint16_t code = GetU16(span_, at);
        if (!IsTagCode(code)) continue;
        size_t k = 0;
        while (k < styleWords && styleWord(k) != code) ++k;
        if (k == styleWords) continue;
        do {
            PutU16(stream_, styleWord(k++));
        } while (k < styleWords && !IsTagCode(styleWord(k)));
    }
    span_.clear();
}

// Bold doubles the text style's font weight and /Bold restores it; a style
// without a font weight makes both write nothing.
void TextStreamEncoder::BoldWeight(bool start) {
    if (start && boldWeight_ == 0) {
        const size_t styleWords = styleTags_.size() / 2;
        for (size_t k = 0; k + 1 < styleWords; ++k) {
            if (GetU16(styleTags_, 2 * k) == kTagFontWeight) {
                boldWeight_ = GetU16(styleTags_, 2 * k + 2);
                break;
            }
        }
    }
    if (boldWeight_ == 0) return;
    PutTag16(stream_, kTagFontWeight, static_cast<uint16_t>(start ? 2 * boldWeight_ : boldWeight_));
}

// A button without a target block and page would jump nowhere (readers fail
// on such a click); its text stays, as plain text.
void TextStreamEncoder::StartButton(uint32_t reference) {
    const uint32_t n = reference < buttonRefs_.size() ? buttonRefs_[reference] : kNoRecord;
    const ButtonRecord* button = n < buttons_.size() ? &buttons_[n] : nullptr;
    buttonDropped_ = button == nullptr || button->blockId == 0 || button->pageId == 0;
    if (!buttonDropped_) PutTag32(stream_, kTagButton, button->id);
}

// An emphasis line of a dropped button, or of type none (readers would draw
// stray pieces of one), is left out with its end. The attributes belong to
// the line: they follow its start code and end with its end code, so nothing
// is restored after it.
void TextStreamEncoder::EmpLine(const TextOperation& op, std::span<const uint8_t> tags) {
    if (buttonDropped_ || op.number == 1) {
        empLineDropped_ = true;
        return;
    }
    PutTag(stream_, kTagEmpLine);
    ++openEmpLines_;
    PutBytes(stream_, tags);
}

void TextStreamEncoder::EndEmpLine() {
    if (std::exchange(empLineDropped_, false)) return;
    if (openEmpLines_ == 0) return;
    PutTag(stream_, kTagEmpLineEnd);
    --openEmpLines_;
}

// An image in the line: its size and the image object that shows its
// stream. An image whose object or stream is missing writes nothing.
void TextStreamEncoder::Plot(const TextOperation& op) {
    if (op.number >= images_.size()) return;
    const ImageBlockRecord& object = images_[op.number];
    if (object.id == 0 || object.imageStreamId == 0) return;
    PutTag16(stream_, kTagPlot, static_cast<uint16_t>(op.start));
    PutU16(stream_, static_cast<uint16_t>(op.end));
    PutU32(stream_, object.id);
    PutU32(stream_, kPlotAdjustment);
}

void WriteTextBlocks(const ObjectStore& s, LrfOutput& out, Console& console) {
    // The odd and even blocks of a running header or footer come one after
    // the other with the same stream: the second takes the first's
    // compressed bytes instead of compressing them again (most of what a
    // page costs in a book of many short titled sections).
    const TextContent credit = CreditParagraph(console);
    ByteBuffer previous, previousStored;
    for (size_t i = 0; i < s.textBlocks.size(); ++i) {
        const TextBlockRecord& block = s.textBlocks[i];
        ByteBuffer object = StartObject(block.id, kTypeTextBlock);
        PutTag32(object, kTagLink, block.textStyleId);
        PutBytes(object, TagRun(s, block.tags));
        TextStreamEncoder encoder(TextStyleTags(s, block.textStyleId), s.buttons, s.buttonRefs, s.deviceCharacters,
                                  s.imageBlocks);
        encoder.Feed({Run(s.textOps, block.ops), s.textStore, s.tagStore});
        if (CarriesCredit(s, kKindTextBlock, i)) encoder.Feed(ViewOf(credit));
        ByteBuffer& stream = encoder.stream();
        if (i == 0 || stream != previous) {
            previousStored = CompressedStream(out.deflater, stream);
            ScrambleStream(previousStored, out.scrambleKey, previousStored.size());
            previous.swap(stream);  // kept for the next block to compare, without a copy
        }
        PutStream(object, kStreamScrambled | kStreamCompressed, previousStored);
        FinishObject(out, object, block.id);
    }
}

}  // namespace tavorin::lrf
