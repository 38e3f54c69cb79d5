// Text blocks: the encoder of text operations into LRF text streams, and the
// text block writer.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "lrf/store/byte_buffer.h"
#include "lrf/store/object_store.h"
#include "lrf/writer/writer_output.h"
#include "text/console.h"
#include "text/wide.h"

namespace tavorin::lrf {

// Writes every text block; the last one of the main flow gets the credit paragraph.
void WriteTextBlocks(const ObjectStore& s, LrfOutput& out, Console& console);

// Turns a text content into the codes of an LRF text stream (uncompressed).
// The encoder keeps its span and bold state across Feed calls, so a block's
// text and the credit paragraph after it form one stream.
class TextStreamEncoder {
public:
    // styleTags: the tags of the block's text style (span restore, bold
    // weight); buttons: the button records, and the button references that
    // button starts name; deviceCharacters: a no-break space written as U+000C and an em dash as
    // an en dash, the forms reading devices' fonts need (else as they are);
    // images: the image objects a Plot names by number.
    TextStreamEncoder(std::span<const uint8_t> styleTags, const std::vector<ButtonRecord>& buttons,
                      std::span<const uint32_t> buttonRefs, bool deviceCharacters,
                      std::span<const ImageBlockRecord> images = {});
    void Feed(const TextContentView& content);
    ByteBuffer& stream() { return stream_; }

private:
    void Operation(const TextOperation& op, const TextContentView& content);
    void Characters(WStringView text);
    void StartParagraph();
    void EndParagraph();
    void ApplySpan(std::span<const uint8_t> tags);
    void RestoreSpan();
    void BoldWeight(bool start);
    void StartButton(uint32_t reference);
    void EmpLine(const TextOperation& op, std::span<const uint8_t> tags);
    void EndEmpLine();
    void Plot(const TextOperation& op);

    std::span<const uint8_t> styleTags_;
    const std::vector<ButtonRecord>& buttons_;
    std::span<const uint32_t> buttonRefs_;
    bool deviceCharacters_;
    std::span<const ImageBlockRecord> images_;
    ByteBuffer stream_;
    ByteBuffer span_;
    uint16_t boldWeight_ = 0;
    size_t openParagraphs_ = 0;
    size_t openEmpLines_ = 0;
    // A link whose button leads nowhere is written as plain text: its
    // button start, its emphasis line and their ends are left out.
    bool buttonDropped_ = false;
    bool empLineDropped_ = false;
};

}  // namespace tavorin::lrf
