// A readable notation of a text block's content for tests: each operation as
// a short tag ("<P>", "<CR/>", "<Italic>", "<CharButton refobj=…>",
// "<Span fontsize=…>"), text with '<', '>' and '&' written "&lt;", "&gt;" and
// "&amp;".
#pragma once

#include <string>

#include "lrf/store/object_store.h"
#include "lrf/store/text_content.h"
#include "text/wide.h"

namespace tavorin::test {

// A button start shows the label of the button its reference leads to in
// `store` ("?" when it leads nowhere yet), or without a store the reference.
std::string ContentNotation(const lrf::TextContentView& content, const lrf::ObjectStore* store = nullptr);
// The content a notation stands for. Its text is taken as written, or with
// the entities "&lt;", "&gt;", "&amp;", "&quot;", "&apos;" and "&nbsp;"
// decoded.
lrf::TextContent ParseNotation(WStringView notation, bool decodeEntities = false);
// The content of text block `index` of the store.
std::string BlockNotation(const lrf::ObjectStore& store, size_t index);

}  // namespace tavorin::test
