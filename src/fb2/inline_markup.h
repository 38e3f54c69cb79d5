// Paragraph and inline markup: FB2 inline tags to layout markup, links,
// anchor paragraphs and the look of references.
#pragma once

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

// Replaces every pattern of the replacement table in the text, then trims.
// A link's "</a>" stays as it is, like its opening tag: no button is made here.
void ApplyReplacementTable(WString& text);
// The close of a link's button.
inline constexpr std::u16string_view kLinkClose = u"</EmpLine></CharButton>";

// The markup of an inline FB2 tag in a body, chosen by the element's name and
// form; nullptr for elements without markup of their own.
struct InlineMarkup {
    std::u16string_view name;
    TagForm form;
    std::u16string_view markup;
    bool endsElement;  // blanks up to the next tag separate elements and are dropped
};
const InlineMarkup* FindInlineMarkup(const Fb2Tag& tag);
// A link: a pair of buttons and the start of the forward one, or the address
// of a link that leads out of the book (body.ExternalLinkOpen).
WString ConvertLink(BodyState& body, LinkTable& links, lrf::ObjectStore& store, const PageCursor& cursor,
                    WStringView tag);
// A paragraph with an id: an anchor and an empty return button.
WString ConvertAnchorParagraph(BodyState& body, LinkTable& links, const PageCursor& cursor, WStringView tag);
// The reference look of the last link button of the text, in the body and in notes.
void ApplyLinkSettings(const TReferenceSettings& references, WString& buffer);
void ApplyNoteLinkSettings(const TReferenceSettings& references, WString& text);

// The largest cut position not above `pos` that splits neither a surrogate
// pair nor an entity such as "&amp;".
size_t SafeCutPosition(WStringView text, size_t pos);

}  // namespace tavorin::fb2
