// Notes and references: pairs of forward and return buttons, note texts as
// return links, anchors, and the link table that aims them.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
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
    int page = 0;                       // page number (PageCounter - 1 when read)
    uint32_t nextBlock = 0;             // the number the next block had when it was read
    uint32_t block = lrf::kNoRecord;    // the block that holds it, once emitted
};

// Where a button leads, until the end of the book settles it into the
// button's record: a block, the first block of an FB2 id, or the text block
// of a number (if that block is a text block named by no id).
struct ButtonAim {
    enum class Kind : uint8_t { kNone, kBlock, kFirstBlockOfId, kNumberedTextBlock };
    Kind kind = Kind::kNone;
    uint32_t block = lrf::kNoRecord;
    std::string id;
};

// The links of the book and where their targets went (notes.cpp).
struct LinkTable {
    std::vector<AnchorRecord> Anchors;
    // Return buttons of links, and anchors, read since the last text block:
    // they point at the block being filled, known only when it is emitted
    // (indices into the store's buttons and Anchors).
    std::vector<size_t> ReturnButtonsAwaitingBlock;
    std::vector<size_t> AnchorsAwaitingBlock;
    // Index of the first forward button record ("bf#" + id) and of the first
    // return button record ("br#" + id) of each objid.
    std::unordered_map<std::string, size_t> ForwardButtons, ReturnButtons;
    // Button references of return buttons not registered yet (an anchor read
    // before any link to it), with the objid they name.
    std::vector<std::pair<uint32_t, std::string>> ReturnRefsAwaitingButton;
    // Where the first block of each id went: its number and page.
    struct Target {
        uint32_t block = lrf::kNoRecord;
        int page = 0;
    };
    std::unordered_map<std::string, Target> EmittedTargets;
    // The FB2 ids of blocks: the first block of each, and every block that
    // an id or a fixed name names instead of its number.
    std::unordered_map<std::string, uint32_t> BlockOfId;
    std::unordered_set<uint32_t> NamedBlocks;
    std::vector<ButtonAim> Aims;  // one per button
    // The id of a structural element waiting for its first block: the next
    // block emitted carries it (AwaitFirstBlock, FirstBlockBuilt).
    WString PendingTarget;
};

// A structural element with this id starts: its first block will carry it.
// An id still waiting for its block becomes an anchor of that same block.
void AwaitFirstBlock(LinkTable& links, const PageCursor& cursor, const lrf::ObjectStore& store, WString id);
// The block that the pending id waited for was built (or none will be).
void FirstBlockBuilt(LinkTable& links);

// Builds the button and indexes it; it leads nowhere until aimed.
size_t RegisterButton(LinkTable& links, lrf::ObjectStore& store, std::string objid, ButtonAim aim = {});
// A button reference (what a button start in a text names) leading to
// button record `button`.
uint32_t NewButtonRef(lrf::ObjectStore& store, uint32_t button);
// A button reference to the first return button of the id, which may be
// registered later (settled by ResolveAnchors).
uint32_t ReturnButtonRef(LinkTable& links, lrf::ObjectStore& store, WStringView id);
// The return button just registered points at the block being filled.
void AwaitTextBlock(LinkTable& links, const lrf::ObjectStore& store);
// Called when a block is emitted for the element `pendingId`: targets the
// forward button and turns the block content into a return link.
void ResolvePendingTarget(lrf::ObjectStore& store, LinkTable& links, const PageCursor& cursor,
                          const TReferenceSettings& references, WStringView pendingId, TextContent& text);
// An anchor at the current place: the current page and the block being
// filled, which it is aimed at once that block is emitted.
void AddAnchor(LinkTable& links, const PageCursor& cursor, const lrf::ObjectStore& store, WStringView id);
// A block was built; `id` is the FB2 id it carries (none: empty), and a
// block with a fixed name of the converter's is `named`.
void BlockBuilt(LinkTable& links, uint32_t block, WStringView id, bool named = false);
// The block an FB2 id names: the first block built with it.
uint32_t FirstBlockOfId(const LinkTable& links, WStringView id);
// A text block was emitted: the return buttons and anchors read since the
// previous one point at `block` (the block, or the first of its id).
void TextBlockEmitted(LinkTable& links, uint32_t block, int page);
// Called when the first block of the element with this id (PendingTarget) is
// emitted, with its page number: a link read later still reaches it.
void NoteTargetEmitted(LinkTable& links, WStringView id, int page);
// Completes forward buttons from anchors and from targets emitted before
// their links, and settles where every button leads; called once after the
// last body.
void ResolveAnchors(LinkTable& links, lrf::ObjectStore& store, Console& console);

}  // namespace tavorin::fb2
