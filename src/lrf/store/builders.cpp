// Builders of pages, blocks and their contents, block spaces and ruled lines,
// headers and footers, buttons, table-of-contents entries, image streams and
// solo mode. Each call appends one record (and its tags or content) to the store.
#include <algorithm>
#include <string_view>

#include "lrf/store/builder_support.h"

namespace tavorin::lrf {

namespace {

constexpr uint16_t kImageRectCode = 0xF54A;
constexpr uint16_t kImageSizeCode = 0xF54B;
constexpr uint16_t kBlockSpaceXCode = 0xF547;
constexpr uint16_t kBlockSpaceYCode = 0xF546;
constexpr uint16_t kRuledLineCode = 0xF573;

struct NamedNumber {
    std::string_view word;
    uint16_t value;
};

constexpr NamedNumber kLineTypes[] = {
    {"none", 0}, {"solid", 0x10}, {"dashed", 0x20}, {"double", 0x30}, {"dotted", 0x40},
};

constexpr NamedNumber kImageTypes[] = {
    {"JPEG", 0x11}, {"PNG", 0x12}, {"BMP", 0x13}, {"GIF", 0x14},
};

// Entities that markup may leave in a table-of-contents label.
struct Entity {
    WStringView text;
    char16_t character;
};

constexpr Entity kLabelEntities[] = {
    {u"&amp;", u'&'},   {u"&lt;", u'<'},    {u"&gt;", u'>'},
    {u"&quot;", u'"'},  {u"&apos;", u'\''}, {u"&nbsp;", u'\u00A0'},
};

const NamedNumber* FindWord(std::span<const NamedNumber> table, std::string_view word) {
    const auto row = std::find_if(table.begin(), table.end(), [&](const NamedNumber& r) { return r.word == word; });
    return row == table.end() ? nullptr : &*row;
}

uint32_t ChildCount(const ObjectStore& store, ElementKind kind) {
    switch (kind) {
        case kKindTextBlock: return static_cast<uint32_t>(store.textBlocks.size());
        case kKindSimpleTextBlock: return static_cast<uint32_t>(store.simpleTextBlocks.size());
        case kKindImageBlock: return static_cast<uint32_t>(store.imageBlocks.size());
        default: return 0;
    }
}

// Appends a child entry to the last page while blocks belong to pages.
// False when the entry belongs to no page: outside the main flow and solo
// mode, or before the first page (no page to hold it).
bool AddPageChild(ObjectStore& store, uint32_t entry) {
    if (!(store.inMainFlow || store.soloMode) || store.pages.empty()) return false;
    store.pageContentList.push_back(entry);
    store.pages.back().content.end = store.pageContentList.size();
    return true;
}

// The tags of a BlockSpace or RuledLine element; nothing when it has no valid value.
void AppendInlineTags(WStringView element, ByteBuffer& out) {
    if (Contains(element, u"<BlockSpace ")) {
        const int64_t x = NumberAttribute(u"xspace", element, -1);
        if (x >= 0) {
            PutU16(out, kBlockSpaceXCode);
            PutU16(out, static_cast<uint16_t>(x));
        }
        const int64_t y = NumberAttribute(u"yspace", element, -1);
        if (y >= 0) {
            PutU16(out, kBlockSpaceYCode);
            PutU16(out, static_cast<uint16_t>(y));
        }
    } else if (Contains(element, u"<RuledLine ")) {
        const NamedNumber* type = FindWord(kLineTypes, GetAttribute(u"linetype", element));
        if (type == nullptr) return;
        uint32_t color = 0;  // stays 0 when absent or not a number
        ParseColorValue(Widen(GetAttribute(u"linecolor", element)), color);
        PutU16(out, kRuledLineCode);
        PutU16(out, static_cast<uint16_t>(NumberAttribute(u"linelength", element, 0)));
        PutU16(out, type->value);
        PutU16(out, static_cast<uint16_t>(NumberAttribute(u"linewidth", element, 1)));
        PutU32(out, __builtin_bswap32(color));  // alpha, red, green, blue
    }
}

// A label for the table of contents is shown as plain text: markup entities
// become their characters, in one pass so that "&amp;lt;" reads "&lt;".
void DecodeLabelEntities(WString& text) {
    if (text.find(u'&') == WString::npos) return;
    WString decoded;
    decoded.reserve(text.size());
    const WStringView source = text;
    for (size_t i = 0; i < source.size();) {
        const Entity* match = nullptr;
        if (source[i] == u'&') {
            for (const Entity& entity : kLabelEntities) {
                if (source.substr(i, entity.text.size()) == entity.text) match = &entity;
            }
        }
        if (match != nullptr) {
            decoded.push_back(match->character);
            i += match->text.size();
        } else {
            decoded.push_back(source[i++]);
        }
    }
    text.swap(decoded);
}

}  // namespace

void BuildPage(ObjectStore& store, Console& console, WStringView element) {
    PageRecord page;
    page.id = static_cast<uint32_t>(store.pages.size());
    page.objid = GetAttribute(u"objid", element);
    page.pageStyle = GetAttribute(u"pagestyle", element);
    page.oddHeader = GetAttribute(u"oddheader", element);
    page.evenHeader = GetAttribute(u"evenheader", element);
    page.oddFooter = GetAttribute(u"oddfooter", element);
    page.evenFooter = GetAttribute(u"evenfooter", element);
    page.tags = EncodeToTagStore(store, console, kPageAttributes, element);
    page.content = Range{store.pageContentList.size(), store.pageContentList.size()};
    store.pages.push_back(std::move(page));
}

void BuildBlock(ObjectStore& store, Console& console, ElementKind childKind, WStringView element) {
    BlockRecord block;
    block.number = static_cast<uint32_t>(store.blocks.size());
    block.childKind = static_cast<uint16_t>(childKind);
    block.child = ChildCount(store, childKind);
    block.pageIndex = static_cast<int32_t>(store.pages.size()) - 1;
    block.blockStyle = GetAttribute(u"blockstyle", element);
    block.objid = GetAttribute(u"objid", element);
    block.tags = EncodeToTagStore(store, console, kBlockAttributes, element);
    store.blocks.push_back(std::move(block));

    const BlockRecord& added = store.blocks.back();
    if (!store.inMainFlow && !store.soloMode) {
        store.freeBlockList.push_back(added.number);
    } else if (AddPageChild(store, added.number)) {
        if (store.soloMode) {
            store.soloPageList.push_back(store.pages.back().id);
        } else {
            store.lastPageBlockKind = static_cast<uint8_t>(childKind);
            store.lastPageBlockNumber = added.child;
            store.hasLastPageBlock = true;
        }
    }
}

void BuildTextBlock(ObjectStore& store, Console& console, WStringView element, WStringView content) {
    TextBlockRecord block;
    block.id = static_cast<uint32_t>(store.textBlocks.size());
    block.textStyle = GetAttribute(u"textstyle", element);
    block.objid = GetAttribute(u"objid", element);
    block.tags = EncodeToTagStore(store, console, kTextAttributes, element);
    block.text.start = store.textStore.size();
    store.textStore.append(content);
    block.text.end = store.textStore.size();
    store.textBlocks.push_back(std::move(block));
}

void BuildImageBlock(ObjectStore& store, WStringView element) {
    ImageBlockRecord block;
    block.id = static_cast<uint32_t>(store.imageBlocks.size());
    block.objid = GetAttribute(u"objid", element);
    block.refStream = GetAttribute(u"refstream", element);
    block.tags.start = store.tagStore.size();

    const int64_t rect[] = {NumberAttribute(u"x0", element, -1), NumberAttribute(u"y0", element, -1),
                            NumberAttribute(u"x1", element, -1), NumberAttribute(u"y1", element, -1)};
    if (std::all_of(std::begin(rect), std::end(rect), [](int64_t v) { return v >= 0; })) {
        PutU16(store.tagStore, kImageRectCode);
        for (const int64_t v : rect) PutU16(store.tagStore, static_cast<uint16_t>(v));
    }
    const int64_t xsize = NumberAttribute(u"xsize", element, -1);
    const int64_t ysize = NumberAttribute(u"ysize", element, -1);
    if (xsize >= 0 && ysize >= 0) {
        PutU16(store.tagStore, kImageSizeCode);
        PutU16(store.tagStore, static_cast<uint16_t>(xsize));
        PutU16(store.tagStore, static_cast<uint16_t>(ysize));
    }
    block.tags.end = store.tagStore.size();
    store.imageBlocks.push_back(std::move(block));
}

void BuildInline(ObjectStore& store, WStringView element) {
    InlineRecord record;
    record.tags.start = store.tagStore.size();
    AppendInlineTags(element, store.tagStore);
    record.tags.end = store.tagStore.size();
    if (record.tags.size() == 0) return;
    record.number = static_cast<uint32_t>(store.inlines.size()) | kInlineObjectFlag;
    store.inlines.push_back(record);
    AddPageChild(store, record.number);
}

void BuildHeaderFooter(ObjectStore& store, Console& console, ElementKind kind, WStringView element,
                       WStringView ruleText) {
    HeaderFooterRecord record;
    record.objid = GetAttribute(u"objid", element);
    record.refObj = GetAttribute(u"refobj", element);
    record.x1 = static_cast<int16_t>(NumberAttribute(u"x1", element, -1));
    record.y1 = static_cast<int16_t>(NumberAttribute(u"y1", element, -1));
    // A number missing from the rule text gives 0. "yl" is found at "yl0".
    const auto rule = [&](WStringView name) { return static_cast<int16_t>(NumberAttribute(name, ruleText, 0)); };
    record.lineStartX = rule(u"xl0");
    record.lineY = rule(u"yl");
    record.lineEndX = rule(u"xl1");
    record.lineY2 = record.lineY;
    record.lineWidth = rule(u"lw");
    record.lineColor = rule(u"lc");
    record.lineType = rule(u"lt");
    record.tags = EncodeFilledBlockAttributes(store, console, element);
    (kind == kKindHeader ? store.headers : store.footers).push_back(std::move(record));
}

void BuildButton(ObjectStore& store, WStringView element) {
    ButtonRecord button;
    button.objid = GetAttribute(u"objid", element);
    button.refPage = GetAttribute(u"refpage", element);
    button.refObj = GetAttribute(u"refobj", element);
    store.buttons.push_back(std::move(button));
}

void BuildTocEntry(ObjectStore& store, WStringView element) {
    TocEntryRecord entry;
    entry.refPage = GetAttribute(u"refpage", element);
    entry.refObj = GetAttribute(u"refobj", element);
    const size_t bar = element.find(u'|');
    WString label(bar == WStringView::npos ? element : element.substr(bar + 1));
    StripMarkup(label);
    DecodeLabelEntities(label);
    entry.label.start = store.textStore.size();
    store.textStore.append(label);
    entry.label.end = store.textStore.size();
    store.tocEntries.push_back(std::move(entry));
}

void BuildImageStream(ObjectStore& store, std::span<const uint8_t> bytes, WStringView sizeText, WStringView element) {
    ImageStreamRecord stream;
    stream.id = static_cast<uint32_t>(store.imageStreams.size());
    const NamedNumber* type = FindWord(kImageTypes, GetAttribute(u"encoding", element));
    stream.imageType = type ? static_cast<uint8_t>(type->value) : 0;
    stream.objid = GetAttribute(u"objid", element);
    stream.sizeText = Narrow(sizeText);
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
