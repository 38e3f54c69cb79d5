// Style definitions: the page, text and block styles and the fonts of the
// book, derived from the conversion settings.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "lrf/store/object_store.h"
#include "lrf/tags/tag_table.h"
#include "settings/conversion_settings.h"
#include "text/console.h"
#include "text/wide.h"

namespace tavorin::lrf {
struct ObjectStore;
}

namespace tavorin::fb2 {

inline std::array<uint32_t, kStyleCount> NoRecords() {
    std::array<uint32_t, kStyleCount> none;
    none.fill(lrf::kNoRecord);
    return none;
}

// Values the style definitions derive from the settings, never read from the file.
struct StyleValues {
    // The text and block style records of each style: the first built with
    // its name (styles copied from another keep its name, and so its records).
    std::array<uint32_t, kStyleCount> TextStyle = NoRecords();
    std::array<uint32_t, kStyleCount> BlockStyle = NoRecords();
    // The page style of the book's pages and of its front page.
    uint32_t PageStyle = lrf::kNoRecord, FrontPageStyle = lrf::kNoRecord;
    // The block space xspace of each style (-1: none): the left margin of a
    // block narrowed and shifted right by unequal side margins.
    std::array<int32_t, kStyleCount> SideMargin = [] {
        std::array<int32_t, kStyleCount> none;
        none.fill(-1);
        return none;
    }();
};

// The settings with the styles that have no settings section of their own
// filled in: tit1 and subt1 as copies of tit0 and subtit0, the even header and
// footer as copies of the odd ones with the alignment mirrored, and the body's
// word space in the styles that take it. The conversion reads these.
ConversionSettings CompleteStyleTable(ConversionSettings settings);

std::vector<lrf::TagValue> PageStyleTags(const THeaderFooterSettings& shown, const TPageLayoutSettings& layout);
// Width and height of the text area of a page of that layout: the screen
// less the margins and the running header and footer shown.
struct TextArea {
    int64_t width = 0;
    int64_t height = 0;
};
TextArea PageTextArea(const THeaderFooterSettings& shown, const TPageLayoutSettings& layout);
// Text style and block style tags of one entry.
void StyleTags(const TPageLayoutSettings& page, const TStyleSettings& style, std::vector<lrf::TagValue>& textStyle,
               std::vector<lrf::TagValue>& blockStyle);
// The block space xspace of a style's blocks (StyleValues::SideMargin).
int32_t BlockSpaceMargin(const TStyleSettings& style);
// The rule line of a running header or footer.
lrf::RuleLine RuleLineOf(const TRuleLineSettings& line);
// The face of a style: between the first two '|' of its external font value,
// else its FontName.
WString StyleFace(const TStyleSettings& style);

// Builds every style and font of the completed settings into the object store.
StyleValues DefineStyles(const ConversionSettings& settings, lrf::ObjectStore& store, Console& console);

}  // namespace tavorin::fb2
