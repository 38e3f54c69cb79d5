// State of the body conversion shared by the body loop, the inline markup,
// the pages and running headers, the notes and the images. One instance per
// conversion (Conversion::body).
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "lrf/store/object_store.h"
#include "text/wide.h"

namespace tavorin::fb2 {

// An anchor paragraph ('<p id="x">') remembered for the end of the book.
struct AnchorRecord {
    WString id;
    int page = 0;            // page number (PageCounter - 1 when read)
    int block = 0;           // block number (BlockCounter when read)
    std::string blockObjid;  // objid of the block that holds it, once emitted
};

// Buffer length after which an element's buffer is emitted at the next
// paragraph end; a link or an anchor lowers the threshold to 1 until then.
inline constexpr int kFlushThreshold = 5000;

struct ConversionState {
    // Counters and flags of the body conversion.
    int PageCounter = 0;
    int BlockCounter = 0;
    int HeaderCounter = 0;
    int FooterCounter = 0;
    int SectionDepth = -1;
    int NestedElements = 0;  // element loops open inside the body's loop
    int FlushThreshold = kFlushThreshold;
    WString PendingId;  // at most 50 characters
    bool InMainBody = true;
    bool InNotesBody = false;
    bool ExternalLinkOpen = false;
    bool FirstTitlePending = true;
    int64_t CountedChars = 0;
    int ProgressStep = 1;

    // Running header and footer texts (built once before the body).
    WString HeaderText, FooterText;
    bool HeaderFixed = false, FooterFixed = false;
    // Rule lines of the header and footer objects.
    lrf::RuleLine HeaderRuleLine, FooterRuleLine;
    // Table-of-contents entries, one per main-body title: the page and block
    // labels it leads to, and its label as shown.
    struct TocEntry {
        std::string refPage, refObj;
        WString label;
        bool operator==(const TocEntry&) const = default;
    };
    std::vector<TocEntry> TocEntries;

    // Notes and links.
    std::vector<AnchorRecord> Anchors;
    // Return buttons of links, and anchors, read since the last text block:
    // they point at the block being filled, whose objid is known only when
    // it is emitted (indices into the store's buttons and Anchors).
    std::vector<size_t> ReturnButtonsAwaitingBlock;
    std::vector<size_t> AnchorsAwaitingBlock;
    // Index of the first forward button record ("bf_" + id) of each objid.
    std::unordered_map<std::string, size_t> ForwardButtons;
    // Where the first block of each id went: objid label and page number.
    struct Target {
        std::string blockObjid;
        int page = 0;
    };
    std::unordered_map<std::string, Target> EmittedTargets;

    // Images.
    WString ImageRef;  // at most 100 characters, leading '#' removed
    // Index of the first image stream record of each id, over the first
    // ImagesIndexed records of the store; extended as images are looked up.
    std::unordered_map<std::string, size_t> ImageIndex;
    size_t ImagesIndexed = 0;
};

}  // namespace tavorin::fb2
