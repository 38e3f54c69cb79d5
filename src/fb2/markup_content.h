// The typed content of a block from the paragraph markup the FB2 side still
// writes in its buffers: each tag becomes its operation, each entity its
// character.
#pragma once

#include "lrf/store/text_content.h"
#include "text/console.h"
#include "text/wide.h"

namespace tavorin::fb2 {

// Appends the operations of `markup` to `content`. A tag or an entity cut off
// by the end of the markup ends it.
void AppendMarkupContent(lrf::TextContent& content, WStringView markup, Console& console);

}  // namespace tavorin::fb2
