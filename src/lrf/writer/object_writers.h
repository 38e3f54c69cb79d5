// The object writers, run once each by WriteLrfFile in the order declared
// here, and the stream encoders they use. Each writer walks its records in
// creation order and appends one finished object per record to the output.
#pragma once

#include <cstdint>
#include <span>

#include "lrf/store/byte_buffer.h"
#include "lrf/store/object_store.h"
#include "lrf/writer/label_index.h"
#include "lrf/writer/writer_output.h"
#include "text/console.h"
#include "text/wide.h"

namespace tavorin::lrf {

// Pages from the Solo element on each get a page tree of their own; 0 when
// the book has no Solo element.
uint32_t SoloPageCount(const ObjectStore& s);

// Book structure.
void WritePages(ObjectStore& s, LrfOutput& out);
void WriteTocObject(const ObjectStore& s, LrfOutput& out);
void WriteMainPageTree(const ObjectStore& s, LrfOutput& out);
void WriteSoloPageTrees(const ObjectStore& s, LrfOutput& out);
void WriteBookAttributes(const ObjectStore& s, LrfOutput& out);

// Content and styles.
void WriteBlocks(const ObjectStore& s, LrfOutput& out);
void WriteTextBlocks(const ObjectStore& s, LrfOutput& out, Console& console);
void WriteImageBlocks(const ObjectStore& s, LrfOutput& out);
void WriteHeadersAndFooters(const ObjectStore& s, LrfOutput& out);
void WriteButtons(const ObjectStore& s, LrfOutput& out);
void WriteImageStreams(const ObjectStore& s, LrfOutput& out);
void WritePageStyles(const ObjectStore& s, LrfOutput& out);
void WriteBlockStyles(const ObjectStore& s, LrfOutput& out);
void WriteTextStyles(const ObjectStore& s, LrfOutput& out);
void WriteFonts(const ObjectStore& s, LrfOutput& out);

// Reads the font files before anything is written, so that the book
// attributes list exactly the fonts that are written. Stops at the first
// file that cannot be read, with an error line.
void LoadFontFiles(const ObjectStore& s, LrfOutput& out, Console& console);

// A record's run of prepared tags in the tag store.
std::span<const uint8_t> TagRun(const ObjectStore& s, const Range& range);
// A record's run of text in the text store.
WStringView TextRun(const ObjectStore& s, const Range& range);
// The stream block of a page, header, footer or text block: the stream is
// compressed first when asked, then scrambled over its whole length.
void PutScrambledStream(LrfOutput& out, ByteBuffer& object, ByteBuffer stream, bool compress);
// Tag bytes of the text style with this id; empty when there is none.
std::span<const uint8_t> TextStyleTags(const ObjectStore& s, uint32_t styleId);

// Turns paragraph markup into the codes of an LRF text stream (uncompressed).
// The encoder keeps its span and bold state across Feed calls, so a block's
// text and the credit paragraph after it form one stream.
class TextStreamEncoder {
public:
    // styleTags: the tags of the block's text style (span restore, bold
    // weight); buttons: the button records and their labels for CharButton;
    // console: where an attribute value it cannot read is reported.
    TextStreamEncoder(std::span<const uint8_t> styleTags, const std::vector<ButtonRecord>& buttons,
                      const LabelIndex& buttonLabels, Console& console);
    void Feed(WStringView markup);
    ByteBuffer& stream() { return stream_; }

private:
    void Tag(WStringView tag);
    void StartParagraph();
    void EndParagraph();
    void Entity(WStringView name);
    void Character(char16_t c);
    void ApplySpan(WStringView tag);
    void RestoreSpan();
    void BoldWeight(bool start);
    void CharButton(WStringView tag);

    std::span<const uint8_t> styleTags_;
    const std::vector<ButtonRecord>& buttons_;
    const LabelIndex& buttonLabels_;
    Console& console_;
    ByteBuffer stream_;
    ByteBuffer span_;
    uint16_t boldWeight_ = 0;
    size_t openParagraphs_ = 0;
    size_t openEmpLines_ = 0;
    // A link whose button leads nowhere is written as plain text: its
    // CharButton, EmpLine and their ends are left out.
    bool buttonDropped_ = false;
    bool empLineDropped_ = false;
};

// Stream of a header or footer: its position, the block shown, the rule line.
ByteBuffer EncodeHeaderStream(const HeaderFooterRecord& hf);

// Stream of the table-of-contents object.
ByteBuffer EncodeTocStream(const ObjectStore& s);

// Whether the block is the last text block of the main flow, which receives
// the credit paragraph.
bool CarriesCredit(const ObjectStore& s, ElementKind kind, size_t number);
// The credit paragraph appended to the last text block of the main flow.
extern const WStringView kTextBlockCredit;

}  // namespace tavorin::lrf
