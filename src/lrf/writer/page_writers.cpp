// The structure of the book: pages with their child lists and page streams,
// the table of contents, the page trees and the book attributes (the root).
#include "lrf/writer/page_writers.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

#include "lrf/store/object_store.h"
#include "lrf/writer/linking.h"
#include "lrf/writer/object_writers.h"
#include "lrf/writer/writer_output.h"

namespace tavorin::lrf {

namespace {

constexpr uint32_t kInlineNumberMask = kInlineObjectFlag - 1;

// The ids a page lists in F50B, first occurrences only, without 0.
class ChildList {
public:
    void Add(uint32_t id) {
        if (id != 0 && seen_.insert(id).second) ids_.push_back(id);
    }
    const std::vector<uint32_t>& ids() const { return ids_; }

private:
    std::vector<uint32_t> ids_;
    std::unordered_set<uint32_t> seen_;
};

// The block and the text or image block it wraps (its id since linking),
// with the child's text style or image stream.
void AddBlockWithChild(const ObjectStore& s, ChildList& list, const BlockRecord& block) {
    list.Add(block.id);
    list.Add(block.blockStyleId);
    list.Add(block.child);
    if (block.childKind == kKindTextBlock) {
        if (const TextBlockRecord* text = RecordWithId(s.textBlocks, block.child)) list.Add(text->textStyleId);
    } else if (block.childKind == kKindImageBlock) {
        if (const ImageBlockRecord* image = RecordWithId(s.imageBlocks, block.child)) list.Add(image->imageStreamId);
    }
}

// The headers and footers in the page's slots join its child list, and so
// do their blocks.
void AddSlots(const ObjectStore& s, const PageRecord& page, ChildList& list, std::vector<uint32_t>& blocks) {
    const std::pair<uint32_t, const std::vector<HeaderFooterRecord>*> slots[] = {
        {page.oddHeaderId, &s.headers},
        {page.evenHeaderId, &s.headers},
        {page.oddFooterId, &s.footers},
        {page.evenFooterId, &s.footers},
    };
    for (const auto& [id, records] : slots) {
        const HeaderFooterRecord* hf = RecordWithId(*records, id);
        if (hf == nullptr) continue;
        list.Add(hf->id);
        if (hf->blockId != 0) blocks.push_back(hf->blockNumber);  // 0: its block was not found
    }
}

// A counted id list (16-bit count). A longer list cannot be written: the
// book is refused (`overflow` says why) rather than written with a list cut
// short or a wrapped count.
void PutIdList(LrfOutput& out, ByteBuffer& object, uint16_t code, std::span<const uint32_t> ids, const char* what) {
    if (ids.size() > 0xFFFF && out.overflow.empty()) {
        out.overflow = std::string(what) + " of " + std::to_string(ids.size()) + " objects (at most 65535)";
    }
    const size_t n = std::min<size_t>(ids.size(), 0xFFFF);
    PutTag16(object, code, static_cast<uint16_t>(n));
    for (size_t i = 0; i < n; ++i) PutU32(object, ids[i]);
}

uint32_t ParentTreeId(const ObjectStore& s, size_t pageIndex) {
    const uint32_t n = s.soloPageStart;
    if (n == 0 || pageIndex < n) return s.mainPageTreeId;
    return s.mainPageTreeId + static_cast<uint32_t>(pageIndex - n + 1);
}

// F503 + block id for blocks, the prebuilt tags for block spaces and ruled lines.
ByteBuffer PageStream(const ObjectStore& s, const PageRecord& page) {
    ByteBuffer stream;
    for (size_t e = page.content.start; e < page.content.end; ++e) {
        const uint32_t entry = s.pageContentList[e];
        if (entry & kInlineObjectFlag) {
            const InlineRecord& inl = s.inlines[entry & kInlineNumberMask];
            PutBytes(stream, TagRun(s, inl.tags));
        } else {
            PutTag32(stream, kTagLink, s.blocks[entry].id);
        }
    }
    return stream;
}

void WritePage(const ObjectStore& s, LrfOutput& out, const PageRecord& page, size_t pageIndex) {
    ChildList list;
    std::vector<uint32_t> blocksToVisit;
    for (size_t e = page.content.start; e < page.content.end; ++e) {
        const uint32_t entry = s.pageContentList[e];
        if (!(entry & kInlineObjectFlag)) blocksToVisit.push_back(entry);
    }
    AddSlots(s, page, list, blocksToVisit);
    for (const uint32_t b : blocksToVisit) AddBlockWithChild(s, list, s.blocks[b]);

    ByteBuffer object = StartObject(page.id, kTypePage);
    if (!list.ids().empty()) PutIdList(out, object, kTagChildList, list.ids(), "a page");
    PutTag32(object, kTagLink, page.pageStyleId);
    const std::pair<uint16_t, uint32_t> slotTags[] = {
        {kTagOddHeader, page.oddHeaderId},
        {kTagEvenHeader, page.evenHeaderId},
        {kTagOddFooter, page.oddFooterId},
        {kTagEvenFooter, page.evenFooterId},
    };
    for (const auto& [tag, id] : slotTags) {
        if (id != 0) PutTag32(object, tag, id);
    }
    PutTag32(object, kTagParentPageTree, ParentTreeId(s, pageIndex));
    PutBytes(object, TagRun(s, page.tags));
    PutScrambledStream(out, object, PageStream(s, page), false);
    FinishObject(out, object, page.id);
}

// Page trees list pages by id.
void WritePageTree(const ObjectStore& s, LrfOutput& out, uint32_t treeId, size_t firstPage, size_t endPage) {
    std::vector<uint32_t> ids;
    ids.reserve(endPage - firstPage);
    for (size_t i = firstPage; i < endPage; ++i) ids.push_back(s.pages[i].id);
    ByteBuffer object = StartObject(treeId, kTypePageTree);
    PutIdList(out, object, kTagPageList, ids, "a page tree");
    FinishObject(out, object, treeId);
}

// Entry count, entry offsets (from the first entry), then per entry the page
// id, the block id and the label as a byte count and UTF-16LE. Readers take
// the count as 16 bits: a longer contents list keeps its first 65,534
// entries and ends in a notice that leads to the first title left out.
ByteBuffer EncodeTocStream(const ObjectStore& s) {
    const size_t n = std::min<size_t>(s.tocEntries.size(), kMaxTocEntries);
    const size_t omitted = s.tocEntries.size() - n;
    ByteBuffer stream;
    PutU32(stream, static_cast<uint32_t>(n));
    ByteBuffer entries;
    for (size_t i = 0; i < n; ++i) {
        const TocEntryRecord& entry = s.tocEntries[i];
        PutU32(stream, static_cast<uint32_t>(entries.size()));
        PutU32(entries, entry.pageId);
        PutU32(entries, entry.blockId);
        if (omitted != 0 && i + 1 == n) {
            const WString notice = u"(" + Widen(std::to_string(omitted + 1)) + u" more titles not listed)";
            PutCountedUtf16(entries, notice);
        } else {
            PutCountedUtf16(entries, TextRun(s, entry.label));
        }
    }
    PutBytes(stream, entries);
    return stream;
}

}  // namespace

uint32_t SoloPageCount(const ObjectStore& s) {
    const size_t n = s.soloPageStart;
    const size_t pages = s.pages.size();
    return n != 0 && pages > n ? static_cast<uint32_t>(pages - n) : 0;
}

void WritePages(const ObjectStore& s, LrfOutput& out) {
    for (size_t i = 0; i < s.pages.size(); ++i) WritePage(s, out, s.pages[i], i);
}

void WriteTocObject(const ObjectStore& s, LrfOutput& out) {
    const uint32_t id = s.tocId;
    out.tocOffset = static_cast<uint32_t>(out.offset());
    ByteBuffer object = StartObject(id, kTypeToc);
    PutStream(object, 0x0051, EncodeTocStream(s));
    FinishObject(out, object, id);
}

void WriteMainPageTree(const ObjectStore& s, LrfOutput& out) {
    const size_t n = s.soloPageStart;
    const size_t pages = s.pages.size();
    WritePageTree(s, out, s.mainPageTreeId, 0, n != 0 && n < pages ? n : pages);
}

void WriteSoloPageTrees(const ObjectStore& s, LrfOutput& out) {
    const size_t n = s.soloPageStart;
    for (uint32_t k = 0; k < SoloPageCount(s); ++k) WritePageTree(s, out, s.mainPageTreeId + k + 1, n + k, n + k + 1);
}

void WriteBookAttributes(const ObjectStore& s, LrfOutput& out) {
    ByteBuffer object = StartObject(s.rootId, kTypeBookAttributes);
    PutTag32(object, kTagPageTree, s.mainPageTreeId);
    PutBytes(object, TagRun(s, s.bookDefaults));
    for (size_t i = 0; i < out.fontFiles.size(); ++i) PutTag32(object, kTagFontLink, s.fonts[i].id);
    FinishObject(out, object, s.rootId);
}

}  // namespace tavorin::lrf
