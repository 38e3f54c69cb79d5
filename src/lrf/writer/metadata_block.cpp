// The book metadata block, shortened to fit its 16-bit size field.
#include "lrf/writer/metadata_block.h"

#include <vector>


namespace tavorin::lrf {

namespace {

MetadataBlock Compress(Deflater& deflater, WStringView xml) {
    ByteBuffer text;
    text.reserve(2 + 2 * xml.size());
    PutU16(text, 0xFEFF);
    PutUtf16(text, xml);
    MetadataBlock block;
    block.uncompressedSize = static_cast<uint32_t>(text.size());
    block.compressed = ZlibCompress(deflater, text);
    return block;
}

bool Fits(const MetadataBlock& block) { return block.compressed.size() <= kMaxCompressedMetadata; }

// Lengths at which the element content can be cut and stay well formed: not
// inside a tag, an entity or a surrogate pair, and with every element that
// was opened closed again. Ascending; the first is 0.
std::vector<size_t> SafeCuts(WStringView content) {
    constexpr size_t kLongestEntity = 12;
    std::vector<size_t> cuts{0};
    int depth = 0;
    size_t i = 0;
    while (i < content.size()) {
        const char16_t c = content[i];
        if (c == u'<') {
            const size_t close = content.find(u'>', i);
            if (close == WStringView::npos) break;
            const WStringView tag = content.substr(i, close - i + 1);
            if (StartsWith(tag, u"</")) --depth;
            else if (!EndsWith(tag, u"/>") && !StartsWith(tag, u"<!") && !StartsWith(tag, u"<?")) ++depth;
            i = close + 1;
        } else if (c == u'&') {
            const size_t semicolon = content.substr(i, kLongestEntity).find(u';');
            i += semicolon == WStringView::npos ? 1 : semicolon + 1;
        } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < content.size()) {
            i += 2;
        } else {
            ++i;
        }
        if (depth == 0) cuts.push_back(i);
    }
    return cuts;
}

}  // namespace

MetadataBlock CompressMetadata(Deflater& deflater, WStringView xml) {
    MetadataBlock full = Compress(deflater, xml);
    if (Fits(full)) return full;
    constexpr WStringView kOpen = u"<FreeText>";
    const size_t open = xml.find(kOpen);
    const size_t close = open == WStringView::npos ? open : xml.find(u"</FreeText>", open);
    if (close == WStringView::npos) return full;  // nothing that may be shortened

    const size_t contentStart = open + kOpen.size();
    const std::vector<size_t> cuts = SafeCuts(xml.substr(contentStart, close - contentStart));
    WString shortened;
    auto withContent = [&](size_t keep) {
        shortened.assign(xml.substr(0, contentStart + keep));
        shortened.append(xml.substr(close));
        return Compress(deflater, shortened);
    };
    // Binary search for the longest content that fits; the size grows with
    // the length kept.
    MetadataBlock best = withContent(0);
    size_t lo = 0, hi = cuts.size() - 1;
    while (lo < hi) {
        const size_t mid = (lo + hi + 1) / 2;
        MetadataBlock candidate = withContent(cuts[mid]);
        if (Fits(candidate)) {
            lo = mid;
            best = std::move(candidate);
        } else {
            hi = mid - 1;
        }
    }
    return best;
}

}  // namespace tavorin::lrf
