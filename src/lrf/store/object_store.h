// The object store: the in-memory model of the book between the FB2
// conversion and the LRF writer. Builders append records and content while the
// FB2 text is read; linking turns record numbers into object ids; the
// writers only read it.
// Records are plain structs in one array per element kind; record i of a kind
// is element i of its array (its number within the kind).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "lrf/store/byte_buffer.h"
#include "lrf/store/text_content.h"
#include "text/wide.h"

namespace tavorin::lrf {

// The kinds of record of the store. A block's childKind and the record
// comments below use these numbers; 2 (simple text blocks) is never built.
enum ElementKind : int {
    kKindPage = 0,
    kKindTextBlock = 1,
    kKindImageBlock = 3,
    kKindHeader = 4,
    kKindFooter = 5,
    kKindBlockStyle = 7,
    kKindPageStyle = 8,
    kKindBlockSpace = 9,   // block spaces
    kKindBlock = 10,       // block wrapper of a text or image block
    kKindTextStyle = 11,
    kKindImageStream = 12,
    kKindBookDefaults = 13,
    kKindTocLabel = 16,
    kKindButton = 18,
    kKindFont = 19,
    kKindCount = 20,
};

// The LRF object type each kind of record becomes (the writers take their
// type codes from here); 0 = never an object of its own.
inline constexpr std::array<uint16_t, kKindCount> kObjectTypes = {
    0x02, 0x0A, 0x00, 0x0C, 0x03, 0x04, 0x00, 0x07, 0x05, 0x00,
    0x06, 0x0B, 0x11, 0x1C, 0x00, 0x00, 0x1E, 0x00, 0x13, 0x19,
};

// Page content entries with this bit set are inline records (block spaces,
// ruled lines); without it they are block numbers.
inline constexpr uint32_t kInlineObjectFlag = 0x01000000;

// A run of a content stream: [start, end). Byte offsets in tagStore and
// imageStore, UTF-16 unit offsets in textStore, entry indices in the lists.
struct Range {
    size_t start = 0;
    size_t end = 0;
    size_t size() const { return end - start; }
};

// Records are named by their record number within their kind: a reference
// holds that number, or kNoRecord. Labels (a style's name, a button's objid,
// an image stream's id) are kept for people and for the FB2 side's tables.
inline constexpr uint32_t kNoRecord = UINT32_MAX;

struct PageRecord {
    uint32_t id = 0;  // number within the kind until linking, then the object id
    uint32_t pageStyleId = 0;
    uint32_t oddHeaderId = 0, evenHeaderId = 0, oddFooterId = 0, evenFooterId = 0;  // set by linking
    uint32_t pageStyle = kNoRecord;
    uint32_t oddHeader = kNoRecord, evenHeader = kNoRecord;  // header records
    uint32_t oddFooter = kNoRecord, evenFooter = kNoRecord;  // footer records
    Range tags;
    Range content;  // entries of pageContentList
};

struct BlockRecord {
    uint32_t id = 0;
    uint32_t blockStyleId = 0;
    uint32_t number = 0;     // block number (position among blocks)
    uint16_t childKind = 0;  // 1 text block, 2 simple text block, 3 image block
    uint32_t child = 0;      // child number within its kind; replaced by the child's id at linking
    int32_t pageIndex = -1;  // the page the block belongs to
    uint32_t blockStyle = kNoRecord;
    Range tags;
};

struct TextBlockRecord {
    uint32_t id = 0;
    uint32_t textStyleId = 0;
    uint32_t textStyle = kNoRecord;
    Range tags;
    Range ops;  // its content: operations in textOps
};

// An image object: the child of an image block, or an image shown inside a
// line, which a text stream's Plot names and no block holds.
struct ImageBlockRecord {
    uint32_t id = 0;
    uint32_t stream = kNoRecord;  // the image stream it shows
    uint32_t imageStreamId = 0;
    Range tags;
};

// The rule line under a running header or over a running footer.
struct RuleLine {
    int16_t startX = 0, y = 0, endX = 0;
    int16_t width = 0, color = 0, type = 0;
};

struct HeaderFooterRecord {
    uint32_t id = 0;
    uint32_t blockId = 0;
    uint32_t blockNumber = 0;
    uint32_t block = kNoRecord;  // the block it shows, built outside the page flow
    int16_t x1 = -1, y1 = -1;
    RuleLine line;  // drawn from (startX, y) to (endX, y)
    Range tags;
};

struct StyleRecord {
    uint32_t id = 0;
    std::string styleLabel;
    Range tags;
};

struct TocEntryRecord {
    uint32_t pageId = 0, blockId = 0;
    uint32_t page = kNoRecord, block = kNoRecord;  // where it leads
    Range label;  // plain label text in textStore
};

struct ButtonRecord {
    uint32_t id = 0;
    uint32_t pageId = 0, blockId = 0;
    std::string objid;
    uint32_t block = kNoRecord;  // the block it jumps to, on that block's page
};

// Image types of image streams.
inline constexpr uint8_t kImageTypeJpeg = 0x11;
inline constexpr uint8_t kImageTypePng = 0x12;
inline constexpr uint8_t kImageTypeBmp = 0x13;
inline constexpr uint8_t kImageTypeGif = 0x14;

struct ImageStreamRecord {
    uint32_t id = 0;
    uint8_t imageType = 0;  // kImageType...: readers locate image data by it
    std::string objid;
    int32_t width = 0, height = 0;  // in pixels
    Range data;             // bytes in imageStore
};

struct FontRecord {
    uint32_t id = 0;
    std::string fontName, file, fontFileName;
};

struct InlineRecord {
    uint32_t number = 0;  // count of kind 9 at creation | kInlineObjectFlag
    Range tags;
};

// Fields of the 88-byte LRF header set by the book settings.
struct BookHeaderSettings {
    uint16_t scrambleKey = 0;
    uint16_t bindingDirection = 0;
    uint32_t dpi = 0;
    uint16_t screenWidth = 0, screenHeight = 0, colorDepth = 0;
};

inline constexpr uint16_t kBindingLeftToRight = 1;
inline constexpr uint16_t kBindingRightToLeft = 16;

// The program's scramble key: readers descramble only with a key byte of 1 to 240.
inline constexpr uint16_t kScrambleKey = 0x30;

struct ObjectStore {
    // Record arrays, one per element kind that has records.
    std::vector<PageRecord> pages;                    // kind 0
    std::vector<TextBlockRecord> textBlocks;          // kind 1
    std::vector<ImageBlockRecord> imageBlocks;        // kind 3, and the images of Plots (in no block)
    std::vector<HeaderFooterRecord> headers;          // kind 4
    std::vector<HeaderFooterRecord> footers;          // kind 5
    std::vector<StyleRecord> blockStyles;             // kind 7
    std::vector<StyleRecord> pageStyles;              // kind 8
    std::vector<InlineRecord> inlines;                // kind 9 (block spaces)
    std::vector<BlockRecord> blocks;                  // kind 10
    std::vector<StyleRecord> textStyles;              // kind 11
    std::vector<ImageStreamRecord> imageStreams;      // kind 12
    std::vector<TocEntryRecord> tocEntries;           // kind 16
    std::vector<ButtonRecord> buttons;                // kind 18
    std::vector<FontRecord> fonts;                    // kind 19
    std::unordered_set<std::string> fontNames;        // fontname of every font record

    // Shared content streams and lists.
    ByteBuffer tagStore;
    WString textStore;                        // characters of text contents and contents labels
    std::vector<TextOperation> textOps;       // text block contents; characters in textStore,
                                              // attribute tags in tagStore
    std::vector<uint32_t> buttonRefs;         // button references: the button record each leads to, or
                                              // kNoRecord
    ByteBuffer imageStore;
    std::vector<uint32_t> pageContentList;
    std::vector<uint32_t> freeBlockList;
    std::vector<uint32_t> soloPageList;

    // Flags and markers.
    bool soloMode = false;
    uint32_t soloPageStart = 0;  // pages that existed when solo mode was switched on (N)
    uint8_t lastPageBlockKind = 0;
    uint32_t lastPageBlockNumber = 0;
    bool hasLastPageBlock = false;
    Range bookDefaults;          // book default tags in tagStore
    uint32_t bookDefaultsNumber = 0;

    BookHeaderSettings header;
    WString bookInfoXml;         // metadata text handed to the writer
    bool deviceCharacters = true;  // text streams write U+00A0 as U+000C and U+2014 as U+2013
    std::string thumbnailFile;   // thumbnail named in markup; empty for FB2 input
    ByteBuffer thumbnail;        // thumbnail made by the conversion (used before thumbnailFile)
    uint16_t thumbnailType = 0;  // its header type: 17 JPEG, 18 PNG, 19 BMP, 20 GIF

    // Set by linking.
    uint32_t tocId = 0, mainPageTreeId = 0, rootId = 0;
    uint32_t lastId = 0;         // last id handed out
};

}  // namespace tavorin::lrf
