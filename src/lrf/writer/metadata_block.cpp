// The book metadata block, shortened to fit its 16-bit size field.
#include "lrf/writer/metadata_block.h"

#include <algorithm>
#include <vector>

namespace tavorin::lrf {

namespace {

constexpr char16_t kEllipsis = u'\u2026';

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

// Lengths at which a value can be cut and stay well formed: not inside a tag,
// an entity or a surrogate pair, and with every element that was opened
// closed again. Ascending; the first is 0, the last the whole value.
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

// A value that may be shortened: the text of an element without child
// elements, or an attribute value, with the element it belongs to.
struct Value {
    size_t start = 0, end = 0;  // in the metadata text
    WString element;
    std::vector<size_t> cuts;   // SafeCuts of the value
};

// The values of the metadata text, in order.
std::vector<Value> FindValues(WStringView xml) {
    std::vector<Value> values;
    size_t at = xml.find(u'<');
    while (at != WStringView::npos) {
        const size_t close = xml.find(u'>', at);
        if (close == WStringView::npos) break;
        const WStringView tag = xml.substr(at, close - at + 1);
        if (tag.size() > 2 && tag[1] != u'/' && tag[1] != u'?' && tag[1] != u'!') {
            const size_t nameEnd = std::min(tag.find_first_of(u" \t\r\n/>", 1), tag.size());
            const WString name(tag.substr(1, nameEnd - 1));
            for (size_t q = tag.find(u"=\""); q != WStringView::npos; q = tag.find(u"=\"", q)) {
                const size_t valueEnd = tag.find(u'"', q + 2);
                if (valueEnd == WStringView::npos) break;
                values.push_back({at + q + 2, at + valueEnd, name, {}});
                q = valueEnd;
            }
            const WString endTag = u"</" + name + u">";
            const size_t next = xml.find(u'<', close);
            if (!EndsWith(tag, u"/>") && next != WStringView::npos && xml.substr(next, endTag.size()) == endTag) {
                values.push_back({close + 1, next, name, {}});
            }
        }
        at = xml.find(u'<', close);
    }
    for (Value& v : values) v.cuts = SafeCuts(xml.substr(v.start, v.end - v.start));
    return values;
}

// The metadata text with each value cut to its kept length (an index into
// its cuts); a value that is cut ends in an ellipsis.
WString Shortened(WStringView xml, const std::vector<Value>& values, const std::vector<size_t>& keep) {
    WString out;
    out.reserve(xml.size());
    size_t from = 0;
    for (size_t i = 0; i < values.size(); ++i) {
        const Value& v = values[i];
        const size_t length = v.cuts[keep[i]];
        if (keep[i] + 1 >= v.cuts.size()) continue;  // kept whole
        out.append(xml.substr(from, v.start + length - from));
        out.push_back(kEllipsis);
        from = v.end;
    }
    out.append(xml.substr(from));
    return out;
}

// The largest index in [lo, hi] for which `fits` holds, given that it holds
// for lo and that it holds for every index below one for which it holds.
template <class Fits>
size_t LargestFitting(size_t lo, size_t hi, Fits fits) {
    while (lo < hi) {
        const size_t mid = lo + (hi - lo + 1) / 2;
        if (fits(mid)) lo = mid;
        else hi = mid - 1;
    }
    return lo;
}

}  // namespace

MetadataBlock CompressMetadata(Deflater& deflater, WStringView xml) {
    MetadataBlock full = Compress(deflater, xml);
    if (Fits(full)) return full;
    const std::vector<Value> values = FindValues(xml);
    std::vector<size_t> keep(values.size());
    for (size_t i = 0; i < values.size(); ++i) keep[i] = values[i].cuts.size() - 1;
    auto attempt = [&](const std::vector<size_t>& k) { return Compress(deflater, Shortened(xml, values, k)); };

    // The annotation alone, when that is enough: it is the longest value and
    // the least needed.
    const auto isFreeText = [](const Value& v) { return v.element == u"FreeText"; };
    for (size_t i = 0; i < values.size(); ++i) {
        if (!isFreeText(values[i])) continue;
        std::vector<size_t> trial = keep;
        trial[i] = 0;
        if (!Fits(attempt(trial))) break;
        keep[i] = LargestFitting(0, keep[i], [&](size_t n) {
            trial[i] = n;
            return Fits(attempt(trial));
        });
        break;
    }
    // Else every value cut to at most one common length.
    size_t longest = 0;
    for (const Value& v : values) longest = std::max(longest, v.cuts.back());
    auto capped = [&](size_t cap) {
        std::vector<size_t> k = keep;
        for (size_t i = 0; i < values.size(); ++i) {
            const auto& cuts = values[i].cuts;
            k[i] = std::min(k[i], static_cast<size_t>(std::upper_bound(cuts.begin(), cuts.end(), cap) - cuts.begin() - 1));
        }
        return k;
    };
    if (!Fits(attempt(keep))) keep = capped(LargestFitting(0, longest, [&](size_t cap) { return Fits(attempt(capped(cap))); }));

    MetadataBlock best = attempt(keep);
    for (size_t i = 0; i < values.size(); ++i) {
        const WString& name = values[i].element;
        const bool cut = keep[i] + 1 < values[i].cuts.size();
        if (cut && std::find(best.shortened.begin(), best.shortened.end(), name) == best.shortened.end()) {
            best.shortened.push_back(name);
        }
    }
    return best;
}

}  // namespace tavorin::lrf
