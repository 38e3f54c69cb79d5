// Builders of pages, blocks and their contents, block spaces, headers and
// footers, buttons, table-of-contents entries, image streams and solo mode.
// Each call appends one record (and its tags or content) to the store.
#include <algorithm>

#include "lrf/store/builder_support.h"

namespace tavorin::lrf {

namespace {

constexpr uint16_t kImageRectCode = 0xF54A;
constexpr uint16_t kImageSizeCode = 0xF54B;
constexpr uint16_t kBlockSpaceXCode = 0xF547;
constexpr uint16_t kBlockSpaceYCode = 0xF546;

uint32_t ChildCount(const ObjectStore& store, ElementKind kind) {
    switch (kind) {
        case kKindTextBlock: return static_cast<uint32_t>(store.textBlocks.size());
        case kKindImageBlock: return static_cast<uint32_t>(store.imageBlocks.size());
        default: return 0;
    }
}

// Appends a child entry to the last page. False when the entry belongs to no
// page: a free block outside solo mode, or before the first page (no page to
// hold it).
bool AddPageChild(ObjectStore& store, uint32_t entry, BlockFlow flow) {
    if ((flow == BlockFlow::kFree && !store.soloMode) || store.pages.empty()) return false;
    store.pageContentList.push_back(entry);
    store.pages.back().content.end = store.pageContentList.size();
    return true;
}

// The block that holds the child of `childKind` built next.
void BuildBlock(ObjectStore& store, ElementKind childKind, BlockRecord block, BlockFlow flow) {
    block.number = static_cast<uint32_t>(store.blocks.size());
    block.childKind = static_cast<uint16_t>(childKind);
    block.child = ChildCount(store, childKind);
    block.pageIndex = static_cast<int32_t>(store.pages.size()) - 1;
    store.blocks.push_back(std::move(block));

    const BlockRecord& added = store.blocks.back();
    if (flow == BlockFlow::kFree && !store.soloMode) {
        store.freeBlockList.push_back(added.number);
    } else if (AddPageChild(store, added.number, flow)) {
        if (store.soloMode) {
            store.soloPageList.push_back(store.pages.back().id);
        } else {
            store.lastPageBlockKind = static_cast<uint8_t>(childKind);
            store.lastPageBlockNumber = added.child;
            store.hasLastPageBlock = true;
        }
    }
}

// The image object: the rectangle of its stream it shows and its size on the page.
uint32_t AppendImageRecord(ObjectStore& store, const ImagePlacement& image) {
    ImageBlockRecord record;
    record.id = static_cast<uint32_t>(store.imageBlocks.size());
    record.stream = image.stream;
    record.tags.start = store.tagStore.size();
    PutU16(store.tagStore, kImageRectCode);
    for (const int64_t v : {image.x0, image.y0, image.x1, image.y1}) PutU16(store.tagStore, static_cast<uint16_t>(v));
    PutU16(store.tagStore, kImageSizeCode);
    PutU16(store.tagStore, static_cast<uint16_t>(image.width));
    PutU16(store.tagStore, static_cast<uint16_t>(image.height));
    record.tags.end = store.tagStore.size();
    store.imageBlocks.push_back(std::move(record));
    return static_cast<uint32_t>(store.imageBlocks.size() - 1);
}

Range AppendText(ObjectStore& store, WStringView text) {
    Range range{store.textStore.size(), 0};
    ReserveResident(store.textStore, store.textStore.size() + text.size());
    store.textStore.append(text);
    range.end = store.textStore.size();
    return range;
}


// Appends a content's operations to the store's, with their characters and
// tag bytes moved into the shared streams.
Range AppendContent(ObjectStore& store, const TextContent& content) {
    const size_t characterBase = store.textStore.size(), tagBase = store.tagStore.size();
    AppendText(store, content.characters);
    ReserveResident(store.tagStore, store.tagStore.size() + content.tags.size());
    PutBytes(store.tagStore, content.tags);
    Range range{store.textOps.size(), 0};
    // The operations of a large book fill megabytes.
    ReserveResident(store.textOps, store.textOps.size() + content.ops.size());
    for (const TextOperation& op : content.ops) store.textOps.push_back(Rebased(op, characterBase, tagBase));
    range.end = store.textOps.size();
    return range;
}

}  // namespace

void BuildPage(ObjectStore& store, PageRecord page) {
    page.id = static_cast<uint32_t>(store.pages.size());
    page.tags = Range{store.tagStore.size(), store.tagStore.size()};
    page.content = Range{store.pageContentList.size(), store.pageContentList.size()};
    store.pages.push_back(std::move(page));
}

uint32_t BuildTextBlock(ObjectStore& store, const TextBlockStyles& styles, const TextContent& content,
                        BlockFlow flow) {
    const auto number = static_cast<uint32_t>(store.blocks.size());
    BlockRecord block;
    block.blockStyle = styles.blockStyle;
    block.tags = Range{store.tagStore.size(), store.tagStore.size()};
    BuildBlock(store, kKindTextBlock, std::move(block), flow);

    TextBlockRecord text;
    text.id = static_cast<uint32_t>(store.textBlocks.size());
    text.textStyle = styles.textStyle;
    text.tags = Range{store.tagStore.size(), store.tagStore.size()};
    text.ops = AppendContent(store, content);
    store.textBlocks.push_back(std::move(text));
    return number;
}

uint32_t BuildImageBlock(ObjectStore& store, Console& console, const ImagePlacement& image,
                         std::span<const TagValue> blockTags) {
    const auto number = static_cast<uint32_t>(store.blocks.size());
    BlockRecord block;
    block.blockStyle = image.blockStyle;
    block.tags = EncodeToTagStore(store.tagStore, console, kBlockAttributes, blockTags);
    BuildBlock(store, kKindImageBlock, std::move(block), BlockFlow::kPage);
    AppendImageRecord(store, image);
    return number;
}

uint32_t BuildInlineImage(ObjectStore& store, const ImagePlacement& image) { return AppendImageRecord(store, image); }

void BuildBlockSpace(ObjectStore& store, int64_t xSpace, int64_t ySpace) {
    if (xSpace < 0 && ySpace < 0) return;
    InlineRecord record;
    record.tags.start = store.tagStore.size();
    if (xSpace >= 0) {
        PutU16(store.tagStore, kBlockSpaceXCode);
        PutU16(store.tagStore, static_cast<uint16_t>(xSpace));
    }
    if (ySpace >= 0) {
        PutU16(store.tagStore, kBlockSpaceYCode);
        PutU16(store.tagStore, static_cast<uint16_t>(ySpace));
    }
    record.tags.end = store.tagStore.size();
    record.number = static_cast<uint32_t>(store.inlines.size()) | kInlineObjectFlag;
    store.inlines.push_back(record);
    AddPageChild(store, record.number, BlockFlow::kPage);
}

uint32_t BuildHeaderFooter(ObjectStore& store, Console& console, ElementKind kind, HeaderFooterRecord record,
                           std::span<const TagValue> tags) {
    record.tags = EncodeFilledBlockTags(store.tagStore, console, tags);
    auto& records = kind == kKindHeader ? store.headers : store.footers;
    records.push_back(std::move(record));
    return static_cast<uint32_t>(records.size() - 1);
}

void BuildButton(ObjectStore& store, ButtonRecord button) { store.buttons.push_back(std::move(button)); }

void BuildTocEntry(ObjectStore& store, uint32_t page, uint32_t block, WStringView label) {
    TocEntryRecord entry;
    entry.page = page;
    entry.block = block;
    entry.label = AppendText(store, label);
    store.tocEntries.push_back(std::move(entry));
}

void BuildImageStream(ObjectStore& store, ImageStreamRecord stream, std::span<const uint8_t> bytes) {
    stream.id = static_cast<uint32_t>(store.imageStreams.size());
    stream.data.start = store.imageStore.size();
    PutBytes(store.imageStore, bytes);
    stream.data.end = store.imageStore.size();
    store.imageStreams.push_back(std::move(stream));
}

void StartSolo(ObjectStore& store) {
    store.soloMode = true;
    store.soloPageStart = static_cast<uint32_t>(store.pages.size());
    store.soloPageList.clear();
}

void EndSolo(ObjectStore& store) { store.soloMode = false; }

}  // namespace tavorin::lrf
