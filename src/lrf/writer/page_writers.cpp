// The structure of the book: pages with their child lists and page streams,
// the table of contents, the page trees and the book attributes (the root).
#include <algorithm>
#include <unordered_set>
#include <vector>

#include "lrf/store/object_store.h"
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

// The ids of the text or image block a block wraps and of that child's text
// style or image stream, found through the child's number within its kind
// (block.child before WritePages replaces it); 0 when there is no such child.
struct ChildIds {
    uint32_t id = 0;
    uint32_t linkedId = 0;
};

ChildIds ChildOf(const BlockRecord& block) {
    const ObjectStore& s = g_store;
    if (block.childKind == kKindTextBlock || block.childKind == kKindSimpleTextBlock) {
        const auto& texts = block.childKind == kKindTextBlock ? s.textBlocks : s.simpleTextBlocks;
        if (block.child < texts.size()) return {texts[block.child].id, texts[block.child].textStyleId};
    } else if (block.childKind == kKindImageBlock && block.child < s.imageBlocks.size()) {
        return {s.imageBlocks[block.child].id, s.imageBlocks[block.child].imageStreamId};
    }
    return {};
}

// The block and the text or image block it wraps, with their styles and image stream.
void AddBlockWithChild(ChildList& list, const BlockRecord& block) {
    list.Add(block.id);
    list.Add(block.blockStyleId);
    const ChildIds child = ChildOf(block);
    list.Add(child.id);
    list.Add(child.linkedId);
}

struct HeaderFooterIndexes {
    LabelIndex headers = IndexByLabel(g_store.headers, &HeaderFooterRecord::objid);
    LabelIndex footers = IndexByLabel(g_store.footers, &HeaderFooterRecord::objid);
};

// Fills the page's four header and footer slots from its labels; each found
// header or footer joins the child list, and its block is to be listed too.
void ResolvePageSlots(PageRecord& page, const HeaderFooterIndexes& idx, ChildList& list,
                      std::vector<uint32_t>& extraBlocks) {
    const ObjectStore& s = g_store;
    struct Slot {
        const std::string& label;
        uint32_t& id;
        const LabelIndex& index;
        const std::vector<HeaderFooterRecord>& records;
    };
    const Slot slots[] = {
        {page.oddHeader, page.oddHeaderId, idx.headers, s.headers},
        {page.evenHeader, page.evenHeaderId, idx.headers, s.headers},
        {page.oddFooter, page.oddFooterId, idx.footers, s.footers},
        {page.evenFooter, page.evenFooterId, idx.footers, s.footers},
    };
    for (const Slot& slot : slots) {
        const size_t* i = FindLabel(slot.index, slot.label);
        if (!i) continue;
        const HeaderFooterRecord& hf = slot.records[*i];
        slot.id = hf.id;
        list.Add(hf.id);
        if (hf.blockId != 0) extraBlocks.push_back(hf.blockNumber);  // 0: its block was not found
    }
}

// A counted id list (16-bit count). The count cannot say more than 65535, so
// a longer list is cut there rather than written with a wrapped count that
// would make the rest of the object unreadable.
void PutIdList(ByteBuffer& object, uint16_t code, std::span<const uint32_t> ids) {
    const size_t n = std::min<size_t>(ids.size(), 0xFFFF);
    PutTag16(object, code, static_cast<uint16_t>(n));
    for (size_t i = 0; i < n; ++i) PutU32(object, ids[i]);
}

uint32_t ParentTreeId(size_t pageIndex) {
    const uint32_t n = g_store.soloPageStart;
    if (n == 0 || pageIndex < n) return g_store.mainPageTreeId;
    return g_store.mainPageTreeId + static_cast<uint32_t>(pageIndex - n + 1);
}

// F503 + block id for blocks, the prebuilt tags for block spaces and ruled lines.
ByteBuffer PageStream(const PageRecord& page) {
    const ObjectStore& s = g_store;
    ByteBuffer stream;
    for (size_t e = page.content.start; e < page.content.end; ++e) {
        const uint32_t entry = s.pageContentList[e];
        if (entry & kInlineObjectFlag) {
            const InlineRecord& inl = s.inlines[entry & kInlineNumberMask];
            PutBytes(stream, TagRun(inl.tags));
        } else {
            PutTag32(stream, kTagLink, s.blocks[entry].id);
        }
    }
    return stream;
}

void WritePage(PageRecord& page, size_t pageIndex, const HeaderFooterIndexes& idx) {
    const ObjectStore& s = g_store;
    ChildList list;
    std::vector<uint32_t> blocksToVisit;
    for (size_t e = page.content.start; e < page.content.end; ++e) {
        const uint32_t entry = s.pageContentList[e];
        if (!(entry & kInlineObjectFlag)) blocksToVisit.push_back(entry);
    }
    ResolvePageSlots(page, idx, list, blocksToVisit);
    for (const uint32_t b : blocksToVisit) AddBlockWithChild(list, s.blocks[b]);

    ByteBuffer object = StartObject(page.id, kTypePage);
    if (!list.ids().empty()) PutIdList(object, kTagChildList, list.ids());
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
    PutTag32(object, kTagParentPageTree, ParentTreeId(pageIndex));
    PutBytes(object, TagRun(page.tags));
    PutScrambledStream(object, PageStream(page), false);
    FinishObject(object, page.id);
}

// Page trees list pages by id.
void WritePageTree(uint32_t treeId, size_t firstPage, size_t endPage) {
    std::vector<uint32_t> ids;
    ids.reserve(endPage - firstPage);
    for (size_t i = firstPage; i < endPage; ++i) ids.push_back(g_store.pages[i].id);
    ByteBuffer object = StartObject(treeId, kTypePageTree);
    PutIdList(object, kTagPageList, ids);
    FinishObject(object, treeId);
}

}  // namespace

uint32_t SoloPageCount() {
    const size_t n = g_store.soloPageStart;
    const size_t pages = g_store.pages.size();
    return n != 0 && pages > n ? static_cast<uint32_t>(pages - n) : 0;
}

void WritePages() {
    ObjectStore& s = g_store;
    const HeaderFooterIndexes idx;
    for (size_t i = 0; i < s.pages.size(); ++i) WritePage(s.pages[i], i, idx);
    // Pages look children up by number; from here on blocks carry their
    // child's id, which the block writer writes.
    for (BlockRecord& block : s.blocks) block.child = ChildOf(block).id;
}

// Entry count, entry offsets (from the first entry), then per entry the page
// id, the block id and the label as a byte count and UTF-16LE.
ByteBuffer EncodeTocStream() {
    const ObjectStore& s = g_store;
    ByteBuffer stream;
    PutU32(stream, static_cast<uint32_t>(s.tocEntries.size()));
    ByteBuffer entries;
    for (const TocEntryRecord& entry : s.tocEntries) {
        PutU32(stream, static_cast<uint32_t>(entries.size()));
        const WStringView label = TextRun(entry.label);
        PutU32(entries, entry.pageId);
        PutU32(entries, entry.blockId);
        PutCountedUtf16(entries, label);
    }
    PutBytes(stream, entries);
    return stream;
}

void WriteTocObject() {
    const uint32_t id = g_store.tocId;
    g_output.tocOffset = static_cast<uint32_t>(g_output.file.size());
    ByteBuffer object = StartObject(id, kTypeToc);
    PutStream(object, 0x0051, EncodeTocStream());
    FinishObject(object, id);
}

void WriteMainPageTree() {
    const size_t n = g_store.soloPageStart;
    const size_t pages = g_store.pages.size();
    WritePageTree(g_store.mainPageTreeId, 0, n != 0 && n < pages ? n : pages);
}

void WriteSoloPageTrees() {
    const size_t n = g_store.soloPageStart;
    for (uint32_t k = 0; k < SoloPageCount(); ++k) WritePageTree(g_store.mainPageTreeId + k + 1, n + k, n + k + 1);
}

void WriteBookAttributes() {
    const ObjectStore& s = g_store;
    ByteBuffer object = StartObject(s.rootId, kTypeBookAttributes);
    PutTag32(object, kTagPageTree, s.mainPageTreeId);
    PutBytes(object, TagRun(s.bookDefaults));
    for (size_t i = 0; i < g_output.fontFiles.size(); ++i) PutTag32(object, kTagFontLink, s.fonts[i].id);
    FinishObject(object, s.rootId);
}

}  // namespace tavorin::lrf
