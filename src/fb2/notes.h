// Notes and references: pairs of forward and return buttons, note texts as
// return links, anchors, and the notes body mode.
#pragma once

#include "text/wide.h"

namespace tavorin::fb2 {

// Passes a button attribute string to the Button builder and indexes it.
void RegisterButton(WStringView attributes);
// Called by EmitBlock when PendingId is set: targets the forward button and
// turns the block text into a return link.
void ResolvePendingTarget(WString& text);
void AddAnchor(WStringView id, int page, int block);
// Completes forward buttons from anchors and from targets emitted before
// their links; called once after the last body.
void ResolveAnchors();
void StartNotesBody();

}  // namespace tavorin::fb2
