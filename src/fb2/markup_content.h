// Typed text operations from the paragraph markup the description is still
// written in (its page, its annotation, the values of running headers): each
// tag becomes its operation, each entity its character.
#pragma once

#include "lrf/store/text_content.h"
#include "text/console.h"
#include "text/wide.h"

namespace tavorin::fb2 {

// How the text between tags is taken: its entities decoded, or as written
// (for text the block emitter decodes with the book's text).
enum class MarkupText { kDecoded, kAsWritten };

// Appends the operations of `markup` to `content`. A tag cut off by the end
// of the markup ends it, and so does an entity when the text is decoded.
void AppendMarkupContent(lrf::TextContent& content, WStringView markup, Console& console,
                         MarkupText text = MarkupText::kDecoded);

}  // namespace tavorin::fb2
