// Paragraph and inline elements: FB2 inline tags to text operations, links,
// anchor paragraphs and the look of references.
#pragma once

#include <array>

#include "fb2/element_buffer.h"
#include "fb2/fb2_tag.h"
#include "settings/conversion_settings.h"
#include "text/wide.h"

namespace tavorin::lrf {
struct ObjectStore;
}

namespace tavorin::fb2 {

struct BodyState;
struct LinkTable;
struct PageCursor;

// The operations of an inline FB2 tag in a body, chosen by the element's name
// and form; nullptr for elements without operations of their own.
struct InlineMarkup {
    std::u16string_view name;
    TagForm form;
    std::array<TextCode, 2> codes;  // kText: no operation; kSpan: the monospace face
    bool endsElement;  // blanks up to the next tag separate elements and are dropped
};
const InlineMarkup* FindInlineMarkup(const Fb2Tag& tag);
// Appends the operations of the row to the fragment.
void AppendInlineMarkup(const InlineMarkup& row, Fragment& out);
// A link: a pair of buttons and the start of the forward one, or the address
// of a link that leads out of the book (body.ExternalLinkOpen).
void ConvertLink(BodyState& body, LinkTable& links, lrf::ObjectStore& store, WStringView tag, Fragment& out);
// A paragraph with an id: an anchor and an empty return button.
void ConvertAnchorParagraph(BodyState& body, LinkTable& links, const PageCursor& cursor,
                            lrf::ObjectStore& store, WStringView tag, Fragment& out);
// The reference look of the last link button of the content, in the body
// (the measure follows the change) and in notes.
void ApplyLinkSettings(const TReferenceSettings& references, TextContent& content, size_t& measure);
void ApplyNoteLinkSettings(const TReferenceSettings& references, TextContent& content);

}  // namespace tavorin::fb2
