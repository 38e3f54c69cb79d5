// Paragraph and inline markup: FB2 inline tags to layout markup, links,
// anchor paragraphs and the look of references.
#pragma once

#include "text/wide.h"

namespace tavorin::fb2 {

// Replaces every pattern of the replacement table in the text, then trims.
// A link's "</a>" stays as it is, like its opening tag: no button is made here.
void ApplyReplacementTable(WString& text);
// Replaces the whole tag by the markup of the first pattern it contains;
// returns false when no pattern occurs. Index of the pattern in `row`.
bool ReplaceTag(WString& tag, int& row);
// Row of "</a>" and its markup, the close of a link's button.
inline constexpr int kReplaceCloseLink = 17;
inline constexpr std::u16string_view kLinkClose = u"</EmpLine></CharButton>";
// True for the rows of paragraph and stanza boundaries, after which the text
// up to the next tag is whitespace between elements.
bool ReplacementEndsElement(int row);
WString ConvertLink(WStringView tag);
WString ConvertAnchorParagraph(WStringView tag);
void ApplyLinkSettings(WString& buffer);
void ApplyNoteLinkSettings(WString& text);

// The largest cut position not above `pos` that splits neither a surrogate
// pair nor an entity such as "&amp;".
size_t SafeCutPosition(WStringView text, size_t pos);

}  // namespace tavorin::fb2
