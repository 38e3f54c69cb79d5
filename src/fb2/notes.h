// Notes and references: pairs of forward and return buttons, note texts as
// return links, anchors, and the notes body mode.
#pragma once

#include <string_view>

#include "lrf/store/object_store.h"
#include "text/wide.h"

namespace tavorin::fb2 {

struct Conversion;

// Builds the button (its objid and references) and indexes it.
void RegisterButton(Conversion& cv, lrf::ButtonRecord button);
// Called by EmitBlock when PendingId is set: targets the forward button and
// turns the block text into a return link.
void ResolvePendingTarget(Conversion& cv, WString& text);
// An anchor at the current place: the current page and the block being
// filled, which it is aimed at once that block is emitted.
void AddAnchor(Conversion& cv, WStringView id);
// A text block was emitted: the return buttons and anchors read since the
// previous one point at it.
void TextBlockEmitted(Conversion& cv, std::string_view blockObjid, int page);
// Called when the first block of the element with this id (PendingId) is
// emitted, with the block's objid and page number: a link read later still
// reaches it, and a link already aimed at "b" + id follows the block's real
// objid (an image block carries the id alone).
void NoteTargetEmitted(Conversion& cv, WStringView id, std::string_view blockObjid, int page);
// Completes forward buttons from anchors and from targets emitted before
// their links; called once after the last body.
void ResolveAnchors(Conversion& cv);
void StartNotesBody(Conversion& cv);

}  // namespace tavorin::fb2
