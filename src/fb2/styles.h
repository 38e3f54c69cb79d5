// Style definitions: the page, text and block styles and the fonts of the
// book, derived from the conversion settings.
#pragma once

#include <cstdint>
#include <vector>

#include "lrf/store/object_store.h"
#include "lrf/tags/tag_table.h"
#include "settings/conversion_settings.h"
#include "text/wide.h"

namespace tavorin::fb2 {

struct Conversion;

std::vector<lrf::TagValue> PageStyleTags(Conversion& cv, const TPageLayoutSettings& layout);
// Width and height of the text area of a page of that layout: the screen
// less the margins and the running header and footer shown.
struct TextArea {
    int64_t width = 0;
    int64_t height = 0;
};
TextArea PageTextArea(const Conversion& cv, const TPageLayoutSettings& layout);
// Text style and block style tags of one entry; may set its SideMargin.
void StyleTags(Conversion& cv, TStyleSettings& style, std::vector<lrf::TagValue>& textStyle,
               std::vector<lrf::TagValue>& blockStyle);
// The rule line of a running header or footer.
lrf::RuleLine RuleLineOf(const TRuleLineSettings& line);
// The face of a style: between the first two '|' of its external font value,
// else its FontName.
WString StyleFace(const TStyleSettings& style);

// Builds every style and font into the object store and sets the header and
// footer rule lines of the conversion state.
void DefineStyles(Conversion& cv);

}  // namespace tavorin::fb2
