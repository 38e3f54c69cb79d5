// Notes and references: pairs of forward and return buttons, note texts as
// return links, anchors, and the link table that aims them.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "fb2/block_content.h"
#include "lrf/store/object_store.h"
#include "settings/conversion_settings.h"
#include "text/console.h"
#include "text/wide.h"

namespace tavorin::fb2 {

struct PageCursor;

// An anchor paragraph ('<p id="x">') remembered for the end of the book.
struct AnchorRecord {
    WString id;
    int page = 0;            // page number (PageCounter - 1 when read)
    int block = 0;           // block number (BlockCounter when read)
    std::string blockObjid;  // objid of the block that holds it, once emitted
};

// The links of the book and where their targets went (notes.cpp).
struct LinkTable {
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
};

// Builds the button (its objid and references) and indexes it.
void RegisterButton(LinkTable& links, lrf::ObjectStore& store, lrf::ButtonRecord button);
// The return button just registered points at the block being filled.
void AwaitTextBlock(LinkTable& links, const lrf::ObjectStore& store);
// Called when a block is emitted for the element `pendingId`: targets the
// forward button and turns the block content into a return link.
void ResolvePendingTarget(lrf::ObjectStore& store, const LinkTable& links, const PageCursor& cursor,
                          const TReferenceSettings& references, WStringView pendingId, TextContent& text);
// An anchor at the current place: the current page and the block being
// filled, which it is aimed at once that block is emitted.
void AddAnchor(LinkTable& links, const PageCursor& cursor, WStringView id);
// A text block was emitted: the return buttons and anchors read since the
// previous one point at it.
void TextBlockEmitted(LinkTable& links, lrf::ObjectStore& store, std::string_view blockObjid, int page);
// Called when the first block of the element with this id (PendingId) is
// emitted, with the block's objid and page number: a link read later still
// reaches it.
void NoteTargetEmitted(LinkTable& links, WStringView id, std::string_view blockObjid,
                       int page);
// Completes forward buttons from anchors and from targets emitted before
// their links; called once after the last body.
void ResolveAnchors(const LinkTable& links, lrf::ObjectStore& store, Console& console);

}  // namespace tavorin::fb2
