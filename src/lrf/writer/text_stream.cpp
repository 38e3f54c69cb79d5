// Text blocks: the conversion of a block's paragraph markup into the codes of
// an LRF text stream, and the text block writer.
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
constexpr WStringView kTextBlockCredit =
    u"<CR/><CR/><CR/><CR/><CR/><P><Span fontsize=\"60\" fontwidth=\"-10\" parindent=\"0\">"
    u"<Italic>Converted from FB2 to LRF by tavorin_c v.1.3</Italic></Span></P>";


struct NamedCode {
    WStringView name;
    uint16_t code;
};

// Tags that write one code and nothing else.
constexpr std::array<NamedCode, 7> kPlainTags = {{
    {u"CR/", kTagLineBreak},
    {u"Italic", kTagItalic},
    {u"/Italic", kTagItalicEnd},
    {u"Sup", kTagSup},
    {u"/Sup", kTagSupEnd},
    {u"Sub", kTagSub},
    {u"/Sub", kTagSubEnd},
}};

// Entities that stand for a character; every other entity writes nothing.
// A non-breaking space is written as Character() writes U+00A0.
constexpr std::array<NamedCode, 6> kEntities = {{
    {u"&nbsp", 0x00A0},
    {u"&quot", u'"'},
    {u"&amp", u'&'},
    {u"&lt", u'<'},
    {u"&gt", u'>'},
    {u"&apos", u'\''},
}};

// Where a Plot's image stands in its line (1 centre, 2 baseline, 3 top, 4
// bottom): at the bottom, the value readers take when they are unsure.
// calibre's reader draws every value alike, standing on the baseline.
constexpr uint32_t kPlotAdjustment = 4;

// An entity runs from its '&' over at most 10 characters to a ';'.
constexpr size_t kEntityWindow = 11;

bool IsTagCode(uint16_t word) { return (word >> 8) == 0xF5; }

// A character written as itself: no markup, entity or line break, and none
// that Character() writes in another form.
bool IsPlainCharacter(char16_t c) {
    if (c > u'>') return c != u'\u2014' && c != u'\u00A0';
    return c != u'<' && c != u'&' && c != u'\r' && c != u'\n';
}

bool IsEntityNameChar(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'#';
}

// Whether the block is the last text block of the main flow, which receives
// the credit paragraph.
bool CarriesCredit(const ObjectStore& s, ElementKind kind, size_t number) {
    return s.hasLastPageBlock && s.lastPageBlockKind == kind && s.lastPageBlockNumber == number;
}

}  // namespace

TextStreamEncoder::TextStreamEncoder(std::span<const uint8_t> styleTags, const std::vector<ButtonRecord>& buttons,
                                     const LabelIndex& buttonLabels, Console& console, bool deviceCharacters,
                                     std::span<const ImageBlockRecord> images)
    : styleTags_(styleTags),
      buttons_(buttons),
      buttonLabels_(buttonLabels),
      console_(console),
      deviceCharacters_(deviceCharacters),
      images_(images) {}

void TextStreamEncoder::Feed(WStringView text) {
    // The codes take about two bytes per character of markup: room for that
    // spares the stream its regrowths.
    stream_.reserve(stream_.size() + 2 * text.size());
    size_t i = 0;
    while (i < text.size()) {
        const char16_t c = text[i];
        if (IsPlainCharacter(c)) {
            size_t end = i + 1;
            while (end < text.size() && IsPlainCharacter(text[end])) ++end;
            PutUtf16(stream_, text.substr(i, end - i));
            i = end;
        } else if (c == u'<') {
            const size_t close = text.find(u'>', i + 1);
            if (close == WStringView::npos) return;  // a tag cut off by the end of the text
            Tag(text.substr(i + 1, close - i - 1));
            i = close + 1;
        } else if (c == u'&') {
            const WStringView window = text.substr(i, kEntityWindow);
            const size_t semicolon = window.find(u';');
            if (semicolon != WStringView::npos) {
                Entity(window.substr(0, semicolon));
                i += semicolon + 1;
                continue;
            }
            // An entity name cut off by the end of the text writes nothing;
            // any other '&' without its ';' is an ordinary character.
            const bool cutOff = window.size() < kEntityWindow &&
                                std::all_of(window.begin() + 1, window.end(), IsEntityNameChar);
            if (cutOff) return;
            Character(u'&');
            ++i;
        } else {
            Character(c);
            ++i;
        }
    }
}

void TextStreamEncoder::Tag(WStringView tag) {
    for (const NamedCode& plain : kPlainTags) {
        if (tag == plain.name) {
            PutTag(stream_, plain.code);
            return;
        }
    }
    if (tag == u"P") {
        StartParagraph();
    } else if (tag == u"/P") {
        RestoreSpan();
        EndParagraph();
    } else if (tag == u"P/") {
        PutTag32(stream_, kTagParagraph, 0);
        PutTag(stream_, kTagParagraphEnd);
    } else if (tag == u"/Span") {
        RestoreSpan();
    } else if (tag == u"Bold" || tag == u"/Bold") {
        BoldWeight(tag == u"Bold");
    } else if (tag == u"/CharButton") {
        if (!buttonDropped_) PutTag(stream_, kTagCharButtonEnd);
        buttonDropped_ = empLineDropped_ = false;
    } else if (tag == u"/EmpLine" && empLineDropped_) {
        empLineDropped_ = false;
    } else if (tag == u"/EmpLine") {
        if (openEmpLines_ == 0) return;
        PutTag(stream_, kTagEmpLineEnd);
        --openEmpLines_;
    } else if (StartsWith(tag, u"Plot ")) {
        Plot(tag);
    } else if (Contains(tag, u"P ")) {
        StartParagraph();
        ApplySpan(tag);
    } else if (Contains(tag, u"Span ")) {
        ApplySpan(tag);
    } else if (Contains(tag, u"CharButton ")) {
        CharButton(tag);
    } else if (Contains(tag, u"EmpLine ")) {
        // A line of type none is no line: readers would draw stray pieces of one.
        if (buttonDropped_ || GetAttribute(u"emplinetype", tag) == "none") {
            empLineDropped_ = true;
            return;
        }
        // The attributes belong to the emphasis line: they follow its start
        // code and end with its end code, so nothing is restored after it.
        PutTag(stream_, kTagEmpLine);
        ++openEmpLines_;
        EncodeAttributes(kTextAttributes, stream_, tag, console_);
    } else if (Contains(tag, u"Space ")) {
        ApplySpan(tag);
        span_.clear();
    }
}

void TextStreamEncoder::StartParagraph() {
    PutTag32(stream_, kTagParagraph, 0);
    ++openParagraphs_;
}

// A paragraph end whose start lies in another block (markup split around an
// image) has no paragraph to close here; readers reject such a stream.
void TextStreamEncoder::EndParagraph() {
    if (openParagraphs_ == 0) return;
    PutTag(stream_, kTagParagraphEnd);
    --openParagraphs_;
}

void TextStreamEncoder::Entity(WStringView name) {
    for (const NamedCode& entity : kEntities) {
        if (name == entity.name) {
            Character(entity.code);
            return;
        }
    }
}

// Reading devices' fonts show a no-break space written as U+000C and have no
// em dash; software readers show the characters themselves.
void TextStreamEncoder::Character(char16_t c) {
    if (c == u'\r' || c == u'\n') return;
    if (deviceCharacters_ && c == u'\u2014') c = u'\u2013';
    if (deviceCharacters_ && c == u'\u00A0') c = 0x000C;
    PutU16(stream_, c);
}

// A start tag with attributes sets text attributes until the matching end
// tag; the attributes replace the remembered span (spans do not nest). A
// paragraph's attributes follow its start code, inside the paragraph.
void TextStreamEncoder::ApplySpan(WStringView tag) {
    span_.clear();
    EncodeAttributes(kTextAttributes, span_, tag, console_);
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
void TextStreamEncoder::CharButton(WStringView tag) {
    const std::string label = GetAttribute(u"refobj", tag);
    const size_t* i = FindLabel(buttonLabels_, label);
    const ButtonRecord* button = i != nullptr ? &buttons_[*i] : nullptr;
    buttonDropped_ = button == nullptr || button->blockId == 0 || button->pageId == 0;
    if (!buttonDropped_) PutTag32(stream_, kTagCharButton, button->id);
}

// An image in the line: its size and the image object that shows its
// stream. An image whose object or stream is missing writes nothing.
void TextStreamEncoder::Plot(WStringView tag) {
    const auto number = [&](WStringView name) {
        int64_t value = -1;
        return ParseInt8(GetAttribute(name, tag), value) ? value : -1;
    };
    const int64_t image = number(u"image"), width = number(u"xsize"), height = number(u"ysize");
    if (image < 0 || static_cast<uint64_t>(image) >= images_.size() || width < 0 || height < 0) return;
    const ImageBlockRecord& object = images_[static_cast<size_t>(image)];
    if (object.id == 0 || object.imageStreamId == 0) return;
    PutTag16(stream_, kTagPlot, static_cast<uint16_t>(std::min<int64_t>(width, 0xFFFF)));
    PutU16(stream_, static_cast<uint16_t>(std::min<int64_t>(height, 0xFFFF)));
    PutU32(stream_, object.id);
    PutU32(stream_, kPlotAdjustment);
}

void WriteTextBlocks(const ObjectStore& s, LrfOutput& out, Console& console) {
    const LabelIndex buttons = IndexByLabel(s.buttons, &ButtonRecord::objid);
    // The odd and even blocks of a running header or footer come one after
    // the other with the same stream: the second takes the first's
    // compressed bytes instead of compressing them again (most of what a
    // page costs in a book of many short titled sections).
    ByteBuffer previous, previousStored;
    for (size_t i = 0; i < s.textBlocks.size(); ++i) {
        const TextBlockRecord& block = s.textBlocks[i];
        ByteBuffer object = StartObject(block.id, kTypeTextBlock);
        PutTag32(object, kTagLink, block.textStyleId);
        PutBytes(object, TagRun(s, block.tags));
        TextStreamEncoder encoder(TextStyleTags(s, block.textStyleId), s.buttons, buttons, console, s.deviceCharacters,
                                  s.imageBlocks);
        encoder.Feed(TextRun(s, block.text));
        if (CarriesCredit(s, kKindTextBlock, i)) encoder.Feed(kTextBlockCredit);
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
