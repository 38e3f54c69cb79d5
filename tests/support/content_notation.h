// A readable notation of a text block's content for tests: each operation as
// a short tag ("<P>", "<CR/>", "<Italic>", "<CharButton refobj=…>",
// "<Span fontsize=…>"), text with '<', '>' and '&' written "&lt;", "&gt;" and
// "&amp;".
#pragma once

#include <string>

#include "lrf/store/object_store.h"
#include "lrf/store/text_content.h"

namespace tavorin::test {

std::string ContentNotation(const lrf::TextContentView& content);
// The content of text block `index` of the store.
std::string BlockNotation(const lrf::ObjectStore& store, size_t index);

}  // namespace tavorin::test
