// Object ids and label resolution: every object gets its LRF id, then every
// label reference in the store is replaced by the id of the object carrying
// that label (the first such object when several share it).
#include "lrf/writer/linking.h"

#include <string_view>

#include "lrf/store/object_store.h"
#include "lrf/writer/label_index.h"
#include "lrf/writer/page_writers.h"

namespace tavorin::lrf {

namespace {

constexpr uint32_t kFirstObjectId = 50;

template <class Record>
void Number(std::vector<Record>& records, uint32_t& next) {
    for (Record& r : records) r.id = next++;
}

// Id of the first record labelled `label`; prints `message` and gives 0 when
// there is none. Linking goes on either way.
template <class Record>
uint32_t Resolve(const LabelIndex& index, std::string_view label, const std::vector<Record>& records,
                 std::string_view message, Console& console) {
    if (const size_t* i = FindLabel(index, label)) return records[*i].id;
    console.Line(message);
    return 0;
}

// Each step below changes one kind of record and reads the others.

void LinkPages(std::vector<PageRecord>& pages, const std::vector<StyleRecord>& pageStyles, Console& console) {
    const LabelIndex styles = IndexByLabel(pageStyles, &StyleRecord::styleLabel);
    for (PageRecord& page : pages) {
        page.pageStyleId = Resolve(styles, page.pageStyle, pageStyles, "\nError: Page style not found", console);
    }
}

// The header and footer slots of a page; a label that names no header or
// footer leaves its slot 0, without a message.
void LinkPageSlots(std::vector<PageRecord>& pages, const std::vector<HeaderFooterRecord>& headers,
                   const std::vector<HeaderFooterRecord>& footers) {
    const LabelIndex headerIndex = IndexByLabel(headers, &HeaderFooterRecord::objid);
    const LabelIndex footerIndex = IndexByLabel(footers, &HeaderFooterRecord::objid);
    const auto idOf = [](const LabelIndex& index, const std::vector<HeaderFooterRecord>& records,
                         std::string_view label) {
        const size_t* i = FindLabel(index, label);
        return i != nullptr ? records[*i].id : 0;
    };
    for (PageRecord& page : pages) {
        page.oddHeaderId = idOf(headerIndex, headers, page.oddHeader);
        page.evenHeaderId = idOf(headerIndex, headers, page.evenHeader);
        page.oddFooterId = idOf(footerIndex, footers, page.oddFooter);
        page.evenFooterId = idOf(footerIndex, footers, page.evenFooter);
    }
}

void LinkTocEntries(std::vector<TocEntryRecord>& entries, const LabelIndex& blockIndex,
                    const std::vector<BlockRecord>& blocks, const std::vector<PageRecord>& pages, Console& console) {
    const LabelIndex pageIndex = IndexByLabel(pages, &PageRecord::objid);
    for (TocEntryRecord& entry : entries) {
        entry.blockId = Resolve(blockIndex, entry.refObj, blocks, "\nError: TOC block not found", console);
        entry.pageId = Resolve(pageIndex, entry.refPage, pages, "\nError: TOC page not found", console);
    }
}

void LinkBlocks(std::vector<BlockRecord>& blocks, const std::vector<StyleRecord>& blockStyles, Console& console) {
    const LabelIndex styles = IndexByLabel(blockStyles, &StyleRecord::styleLabel);
    for (BlockRecord& block : blocks) {
        block.blockStyleId =
            Resolve(styles, block.blockStyle, blockStyles, "\nError: Block style not foundError", console);
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
    const LabelIndex styles = IndexByLabel(textStyles, &StyleRecord::styleLabel);
    for (TextBlockRecord& block : textBlocks) {
        block.textStyleId = Resolve(styles, block.textStyle, textStyles, "\nError: Block style not found", console);
    }
}

void LinkImageBlocks(std::vector<ImageBlockRecord>& imageBlocks, const std::vector<ImageStreamRecord>& imageStreams,
                     Console& console) {
    const LabelIndex streams = IndexByLabel(imageStreams, &ImageStreamRecord::objid);
    for (ImageBlockRecord& block : imageBlocks) {
        block.imageStreamId =
            Resolve(streams, block.refStream, imageStreams, "\nError: Image stream not found", console);
    }
}

// A button jumps to its target block on the page that block was placed on;
// an unknown target leaves both ids 0 without a message.
void LinkButtons(std::vector<ButtonRecord>& buttons, const LabelIndex& blockIndex,
                 const std::vector<BlockRecord>& blocks, const std::vector<PageRecord>& pages) {
    for (ButtonRecord& button : buttons) {
        const size_t* i = FindLabel(blockIndex, button.refObj);
        if (!i) continue;
        const BlockRecord& block = blocks[*i];
        button.blockId = block.id;
        if (block.pageIndex >= 0 && static_cast<size_t>(block.pageIndex) < pages.size()) {
            button.pageId = pages[block.pageIndex].id;
        }
    }
}

// Headers and footers show blocks built outside the page flow.
void LinkHeadersAndFooters(std::vector<HeaderFooterRecord>& headers, std::vector<HeaderFooterRecord>& footers,
                           const std::vector<BlockRecord>& blocks, const std::vector<uint32_t>& freeBlockList) {
    LabelIndex freeBlocks;
    for (const uint32_t n : freeBlockList) {
        if (n < blocks.size()) freeBlocks.try_emplace(blocks[n].objid, n);
    }
    for (auto* list : {&headers, &footers}) {
        for (HeaderFooterRecord& hf : *list) {
            const size_t* n = FindLabel(freeBlocks, hf.refObj);
            if (!n) continue;
            hf.blockId = blocks[*n].id;
            hf.blockNumber = static_cast<uint32_t>(*n);
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
    const LabelIndex blocks = IndexByLabel(s.blocks, &BlockRecord::objid);
    LinkPages(s.pages, s.pageStyles, console);
    LinkPageSlots(s.pages, s.headers, s.footers);
    LinkTocEntries(s.tocEntries, blocks, s.blocks, s.pages, console);
    LinkBlocks(s.blocks, s.blockStyles, console);
    LinkBlockChildren(s.blocks, s.textBlocks, s.imageBlocks);
    LinkTextBlocks(s.textBlocks, s.textStyles, console);
    LinkImageBlocks(s.imageBlocks, s.imageStreams, console);
    LinkButtons(s.buttons, blocks, s.blocks, s.pages);
    LinkHeadersAndFooters(s.headers, s.footers, s.blocks, s.freeBlockList);
}

}  // namespace tavorin::lrf
