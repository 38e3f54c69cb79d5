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

void LinkPages(ObjectStore& s, Console& console) {
    const LabelIndex styles = IndexByLabel(s.pageStyles, &StyleRecord::styleLabel);
    for (PageRecord& page : s.pages) {
        page.pageStyleId = Resolve(styles, page.pageStyle, s.pageStyles, "\nError: Page style not found", console);
    }
}

// The header and footer slots of a page; a label that names no header or
// footer leaves its slot 0, without a message.
void LinkPageSlots(ObjectStore& s) {
    const LabelIndex headers = IndexByLabel(s.headers, &HeaderFooterRecord::objid);
    const LabelIndex footers = IndexByLabel(s.footers, &HeaderFooterRecord::objid);
    const auto idOf = [](const LabelIndex& index, const std::vector<HeaderFooterRecord>& records,
                         std::string_view label) {
        const size_t* i = FindLabel(index, label);
        return i != nullptr ? records[*i].id : 0;
    };
    for (PageRecord& page : s.pages) {
        page.oddHeaderId = idOf(headers, s.headers, page.oddHeader);
        page.evenHeaderId = idOf(headers, s.headers, page.evenHeader);
        page.oddFooterId = idOf(footers, s.footers, page.oddFooter);
        page.evenFooterId = idOf(footers, s.footers, page.evenFooter);
    }
}

void LinkTocEntries(ObjectStore& s, const LabelIndex& blocks, Console& console) {
    const LabelIndex pages = IndexByLabel(s.pages, &PageRecord::objid);
    for (TocEntryRecord& entry : s.tocEntries) {
        entry.blockId = Resolve(blocks, entry.refObj, s.blocks, "\nError: TOC block not found", console);
        entry.pageId = Resolve(pages, entry.refPage, s.pages, "\nError: TOC page not found", console);
    }
}

void LinkBlocks(ObjectStore& s, Console& console) {
    const LabelIndex styles = IndexByLabel(s.blockStyles, &StyleRecord::styleLabel);
    for (BlockRecord& block : s.blocks) {
        block.blockStyleId =
            Resolve(styles, block.blockStyle, s.blockStyles, "\nError: Block style not foundError", console);
    }
}

void LinkTextBlocks(ObjectStore& s, Console& console) {
    const LabelIndex styles = IndexByLabel(s.textStyles, &StyleRecord::styleLabel);
    for (TextBlockRecord& block : s.textBlocks) {
        block.textStyleId = Resolve(styles, block.textStyle, s.textStyles, "\nError: Block style not found", console);
    }
}

void LinkImageBlocks(ObjectStore& s, Console& console) {
    const LabelIndex streams = IndexByLabel(s.imageStreams, &ImageStreamRecord::objid);
    for (ImageBlockRecord& block : s.imageBlocks) {
        block.imageStreamId =
            Resolve(streams, block.refStream, s.imageStreams, "\nError: Image stream not found", console);
    }
}

// A block's child number becomes the id of that text or image block; 0 when
// no such child was built.
void LinkBlockChildren(ObjectStore& s) {
    for (BlockRecord& block : s.blocks) {
        const uint32_t n = block.child;
        if (block.childKind == kKindTextBlock) {
            block.child = n < s.textBlocks.size() ? s.textBlocks[n].id : 0;
        } else if (block.childKind == kKindImageBlock) {
            block.child = n < s.imageBlocks.size() ? s.imageBlocks[n].id : 0;
        } else {
            block.child = 0;
        }
    }
}

// A button jumps to its target block on the page that block was placed on;
// an unknown target leaves both ids 0 without a message.
void LinkButtons(ObjectStore& s, const LabelIndex& blocks) {
    for (ButtonRecord& button : s.buttons) {
        const size_t* i = FindLabel(blocks, button.refObj);
        if (!i) continue;
        const BlockRecord& block = s.blocks[*i];
        button.blockId = block.id;
        if (block.pageIndex >= 0 && static_cast<size_t>(block.pageIndex) < s.pages.size()) {
            button.pageId = s.pages[block.pageIndex].id;
        }
    }
}

// Headers and footers show blocks built outside the page flow.
void LinkHeadersAndFooters(ObjectStore& s) {
    LabelIndex freeBlocks;
    for (const uint32_t n : s.freeBlockList) {
        if (n < s.blocks.size()) freeBlocks.try_emplace(s.blocks[n].objid, n);
    }
    for (auto* list : {&s.headers, &s.footers}) {
        for (HeaderFooterRecord& hf : *list) {
            const size_t* n = FindLabel(freeBlocks, hf.refObj);
            if (!n) continue;
            hf.blockId = s.blocks[*n].id;
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
    LinkPages(s, console);
    LinkPageSlots(s);
    LinkTocEntries(s, blocks, console);
    LinkBlocks(s, console);
    LinkBlockChildren(s);
    LinkTextBlocks(s, console);
    LinkImageBlocks(s, console);
    LinkButtons(s, blocks);
    LinkHeadersAndFooters(s);
}

}  // namespace tavorin::lrf
