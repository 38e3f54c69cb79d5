// Simple text blocks: paragraphs of plain text, each held in one F5CC run
// whose byte count is filled in when the paragraph ends.
#include <optional>

#include "lrf/writer/object_writers.h"
#include "lrf/writer/writer_output.h"

namespace tavorin::lrf {

const WStringView kSimpleTextBlockCredit = u"<CR/><CR/><P>Layout markup read by tavorin_c v.1.3</P>";

namespace {

class SimpleTextEncoder {
public:
    void Feed(WStringView text) {
        size_t i = 0;
        while (i < text.size()) {
            const char16_t c = text[i];
            if (c == u'<') {
                const size_t close = text.find(u'>', i + 1);
                if (close == WStringView::npos) return;  // a tag cut off by the end of the text
                Tag(text.substr(i + 1, close - i - 1));
                i = close + 1;
                continue;
            }
            if (c != u'\r' && c != u'\n') PutU16(stream_, c);
            ++i;
        }
    }
    ByteBuffer& stream() { return stream_; }

private:
    void Tag(WStringView tag) {
        if (tag == u"P") {
            PutTag32(stream_, kTagParagraph, 0);
            PutTag16(stream_, kTagRawText, 0);
            lengthAt_ = stream_.size() - 2;
        } else if (tag == u"/P") {
            // The byte count covers the text between the count and F5A2; a
            // /P without its P has no count to fill.
            if (lengthAt_) SetU16(stream_, *lengthAt_, static_cast<uint16_t>(stream_.size() - *lengthAt_ - 2));
            lengthAt_.reset();
            PutTag(stream_, kTagParagraphEnd);
        } else if (tag == u"CR/") {
            PutTag(stream_, kTagLineBreak);
        } else if (tag == u"P/") {
            PutTag32(stream_, kTagParagraph, 0);
            PutTag(stream_, kTagParagraphEnd);
        }
    }

    ByteBuffer stream_;
    std::optional<size_t> lengthAt_;
};

}  // namespace

ByteBuffer EncodeSimpleTextStream(WStringView markup, bool withCredit) {
    SimpleTextEncoder encoder;
    encoder.Feed(markup);
    if (withCredit) encoder.Feed(kSimpleTextBlockCredit);
    return std::move(encoder.stream());
}

void WriteSimpleTextBlocks(const ObjectStore& s, LrfOutput& out) {
    for (size_t i = 0; i < s.simpleTextBlocks.size(); ++i) {
        const TextBlockRecord& block = s.simpleTextBlocks[i];
        ByteBuffer object = StartObject(block.id, kTypeSimpleTextBlock);
        PutTag32(object, kTagLink, block.textStyleId);
        PutBytes(object, TagRun(s, block.tags));
        PutScrambledStream(out, object,
                           EncodeSimpleTextStream(TextRun(s, block.text), CarriesCredit(s, kKindSimpleTextBlock, i)),
                           true);
        FinishObject(out, object, block.id);
    }
}

}  // namespace tavorin::lrf
