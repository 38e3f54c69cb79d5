// Paragraph and inline markup: FB2 inline tags to layout markup, links,
// anchor paragraphs and the look of references.
#pragma once

#include "text/wide.h"

namespace tavorin::fb2 {

// Replaces every pattern of the replacement table in the text, then trims.
void ApplyReplacementTable(WString& text);
// Replaces the whole tag by the markup of the first pattern it contains;
// returns false when no pattern occurs. Index of the pattern in `row`.
bool ReplaceTag(WString& tag, int& row);
WString ConvertLink(WStringView tag);
WString ConvertAnchorParagraph(WStringView tag);
void ApplyLinkSettings(WString& buffer);
void ApplyNoteLinkSettings(WString& text);

}  // namespace tavorin::fb2
