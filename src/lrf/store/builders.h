// Builders: each call appends one record of the book (a page, a block and its
// text or image, a block space, a header or footer, a button, a contents
// entry, an image stream, a style, a font, the book defaults and settings) to
// the object store, from record numbers and typed tag lists; each returns
// the number of what it built. Tags whose values cannot be written print an error
// line on the console.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "lrf/store/object_store.h"
#include "lrf/tags/tag_table.h"
#include "text/console.h"
#include "text/wide.h"

namespace tavorin::lrf {

// The styles of a block and of the text block it holds.
struct TextBlockStyles {
    uint32_t textStyle = kNoRecord, blockStyle = kNoRecord;
};

// Where an image block shows which part of its stream, and at what size.
struct ImagePlacement {
    uint32_t blockStyle = kNoRecord, stream = kNoRecord;
    int64_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // the rectangle of the image shown
    int64_t width = 0, height = 0;           // its size on the page
};

// Where a block goes: onto the last page built (the main flow; so do block
// spaces and image blocks), or among the free blocks that headers and
// footers show. In solo mode every block goes onto the last page.
enum class BlockFlow : uint8_t { kPage, kFree };

// `page` carries its labels (objid, page style, header and footer references).
void BuildPage(ObjectStore& store, PageRecord page);
// A block holding the text block built next; its labels come from `labels`.
// Returns the block's record number.
uint32_t BuildTextBlock(ObjectStore& store, const TextBlockStyles& styles, const TextContent& content,
                        BlockFlow flow = BlockFlow::kPage);
// A block of the main flow holding an image block, with the block's tags of `blockTags`.
uint32_t BuildImageBlock(ObjectStore& store, Console& console, const ImagePlacement& image,
                         std::span<const TagValue> blockTags);
// An image shown inside a line of text: its image object, on no page and in
// no block; a text's Plot names it by the number returned.
uint32_t BuildInlineImage(ObjectStore& store, const ImagePlacement& image);
// A block space; a negative space is not set, and with neither set nothing is built.
void BuildBlockSpace(ObjectStore& store, int64_t xSpace, int64_t ySpace);
// kind is kKindHeader or kKindFooter; `record` carries the labels, the
// position and the rule line. Without a fill colour in `tags` it is opaque black.
// Returns the record number within its kind.
uint32_t BuildHeaderFooter(ObjectStore& store, Console& console, ElementKind kind, HeaderFooterRecord record,
                           std::span<const TagValue> tags);
void BuildButton(ObjectStore& store, ButtonRecord button);
// A contents entry: the label as shown, the page and block it leads to.
void BuildTocEntry(ObjectStore& store, uint32_t page, uint32_t block, WStringView label);
// `stream` carries objid, image type, width and height; the bytes are copied.
void BuildImageStream(ObjectStore& store, ImageStreamRecord stream, std::span<const uint8_t> bytes);
void StartSolo(ObjectStore& store);
void EndSolo(ObjectStore& store);

// Styles, book defaults, book settings and fonts.
// kind is kKindTextStyle, kKindBlockStyle or kKindPageStyle; the label is
// the style's name. A block style without a fill colour in `tags` is opaque
// black.
uint32_t BuildStyle(ObjectStore& store, Console& console, ElementKind kind, std::string styleLabel,
                    std::span<const TagValue> tags);
void BuildBookDefaults(ObjectStore& store, Console& console, std::span<const TagValue> tags);
// The header fields of the book; the scramble key is always the program's.
void ApplyBookSetting(ObjectStore& store, BookHeaderSettings header);
// Registers a font once per font name.
void RegisterFont(ObjectStore& store, FontRecord font);

}  // namespace tavorin::lrf
