// Object ids and references: every object gets its LRF id, then every
// reference in the store (a record number) becomes the id of the object it
// names.
#include "lrf/writer/linking.h"

#include <string_view>

#include "lrf/store/object_store.h"
#include "lrf/writer/page_writers.h"

namespace tavorin::lrf {

namespace {

constexpr uint32_t kFirstObjectId = 50;

template <class Record>
void Number(std::vector<Record>& records, uint32_t& next) {
    for (Record& r : records) r.id = next++;
}

// Id of record `n`, or 0 when there is no such record.
template <class Record>
uint32_t IdOf(const std::vector<Record>& records, uint32_t n) {
    return n < records.size() ? records[n].id : 0;
}

// Id of record `n`; prints `message` and gives 0 when there is no such
// record. Linking goes on either way.
template <class Record>
uint32_t Resolve(const std::vector<Record>& records, uint32_t n, std::string_view message, Console& console) {
    const uint32_t id = IdOf(records, n);
    if (id == 0) console.Line(message);
    return id;
}

// Each step below changes one kind of record and reads the others.

void LinkPages(std::vector<PageRecord>& pages, const std::vector<StyleRecord>& pageStyles, Console& console) {
    for (PageRecord& page : pages) {
        page.pageStyleId = Resolve(pageStyles, page.pageStyle, "\nError: Page style not found", console);
    }
}

// The header and footer slots of a page; a slot that names no header or
// footer stays 0, without a message.
void LinkPageSlots(std::vector<PageRecord>& pages, const std::vector<HeaderFooterRecord>& headers,
                   const std::vector<HeaderFooterRecord>& footers) {
    for (PageRecord& page : pages) {
        page.oddHeaderId = IdOf(headers, page.oddHeader);
        page.evenHeaderId = IdOf(headers, page.evenHeader);
        page.oddFooterId = IdOf(footers, page.oddFooter);
        page.evenFooterId = IdOf(footers, page.evenFooter);
    }
}

void LinkTocEntries(std::vector<TocEntryRecord>& entries, const std::vector<BlockRecord>& blocks,
                    const std::vector<PageRecord>& pages, Console& console) {
    for (TocEntryRecord& entry : entries) {
        entry.blockId = Resolve(blocks, entry.block, "\nError: TOC block not found", console);
        entry.pageId = Resolve(pages, entry.page, "\nError: TOC page not found", console);
    }
}

void LinkBlocks(std::vector<BlockRecord>& blocks, const std::vector<StyleRecord>& blockStyles, Console& console) {
    for (BlockRecord& block : blocks) {
        block.blockStyleId = Resolve(blockStyles, block.blockStyle, "\nError: Block style not foundError", console);
    }
}

// A block's child number becomes the id of that text or image block; 0 when
// no such child was built.
void LinkBlockChildren(std::vector<BlockRecord>& blocks, const std::vector<TextBlockRecord>& textBlocks,
                       const std::vector<ImageBlockRecord>& imageBlocks) {
    for (BlockRecord& block : blocks) {
        const uint32_t n = block.child;
        if (block.childKind == kKindTextBlock) {
            block.child = n < textBlocks.size() ? textBlocks[n].id : 0;
        } else if (block.childKind == kKindImageBlock) {
            block.child = n < imageBlocks.size() ? imageBlocks[n].id : 0;
        } else {
            block.child = 0;
        }
    }
}

void LinkTextBlocks(std::vector<TextBlockRecord>& textBlocks, const std::vector<StyleRecord>& textStyles,
                    Console& console) {
    for (TextBlockRecord& block : textBlocks) {
        block.textStyleId = Resolve(textStyles, block.textStyle, "\nError: Block style not found", console);
    }
}

void LinkImageBlocks(std::vector<ImageBlockRecord>& imageBlocks, const std::vector<ImageStreamRecord>& imageStreams,
                     Console& console) {
    for (ImageBlockRecord& block : imageBlocks) {
        block.imageStreamId = Resolve(imageStreams, block.stream, "\nError: Image stream not found", console);
    }
}

// A button jumps to its target block on the page that block was placed on;
// a button without a target keeps both ids 0, without a message.
void LinkButtons(std::vector<ButtonRecord>& buttons, const std::vector<BlockRecord>& blocks,
                 const std::vector<PageRecord>& pages) {
    for (ButtonRecord& button : buttons) {
        if (button.block >= blocks.size()) continue;
        const BlockRecord& block = blocks[button.block];
        button.blockId = block.id;
        if (block.pageIndex >= 0 && static_cast<size_t>(block.pageIndex) < pages.size()) {
            button.pageId = pages[block.pageIndex].id;
        }
    }
}

// Headers and footers show blocks built outside the page flow; one whose
// block is not such a block shows nothing.
void LinkHeadersAndFooters(std::vector<HeaderFooterRecord>& headers, std::vector<HeaderFooterRecord>& footers,
                           const std::vector<BlockRecord>& blocks, const std::vector<uint32_t>& freeBlockList) {
    std::vector<bool> free(blocks.size());
    for (const uint32_t n : freeBlockList) {
        if (n < blocks.size()) free[n] = true;
    }
    for (auto* list : {&headers, &footers}) {
        for (HeaderFooterRecord& hf : *list) {
            if (hf.block >= blocks.size() || !free[hf.block]) continue;
            hf.blockId = blocks[hf.block].id;
            hf.blockNumber = hf.block;
        }
    }
}

}  // namespace

void AssignObjectIds(ObjectStore& s) {
    uint32_t next = kFirstObjectId;
    Number(s.pages, next);
    s.tocId = next++;
    s.mainPageTreeId = next++;
    next += SoloPageCount(s);  // ids of the solo page trees follow the main tree
    s.rootId = next++;
    s.bookDefaultsNumber = s.rootId;
    Number(s.blocks, next);
    Number(s.textBlocks, next);
    Number(s.imageBlocks, next);
    Number(s.headers, next);
    Number(s.footers, next);
    Number(s.buttons, next);
    Number(s.imageStreams, next);
    Number(s.pageStyles, next);
    Number(s.blockStyles, next);
    Number(s.textStyles, next);
    Number(s.fonts, next);
    s.lastId = next - 1;
}

void LinkObjects(ObjectStore& s, Console& console) {
    LinkPages(s.pages, s.pageStyles, console);
    LinkPageSlots(s.pages, s.headers, s.footers);
    LinkTocEntries(s.tocEntries, s.blocks, s.pages, console);
    LinkBlocks(s.blocks, s.blockStyles, console);
    LinkBlockChildren(s.blocks, s.textBlocks, s.imageBlocks);
    LinkTextBlocks(s.textBlocks, s.textStyles, console);
    LinkImageBlocks(s.imageBlocks, s.imageStreams, console);
    LinkButtons(s.buttons, s.blocks, s.pages);
    LinkHeadersAndFooters(s.headers, s.footers, s.blocks, s.freeBlockList);
}

}  // namespace tavorin::lrf
