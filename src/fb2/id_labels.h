// Labels made from the book's element ids. The converter names its own
// objects with letters, digits and '_' ("b12" for the twelfth text block,
// "12" for an image block, "p3", "bf_fb2description"); every label made from
// an id puts '#' between its prefix and the id, which none of those names
// holds, so that an id such as "3", "b3" or "_fb2link" names only its own
// element. Links and the elements they point at take their labels from here.
#pragma once

#include <string>

#include "text/wide.h"

namespace tavorin::fb2 {

// The block (text or image) that an element with this id begins.
inline std::string BlockLabelOfId(WStringView id) { return "b#" + Narrow(id); }
// The forward and return buttons of a link to the id, as objids.
inline constexpr std::string_view kForwardButtonPrefix = "bf#";
inline constexpr std::string_view kReturnButtonPrefix = "br#";
// The same prefixes in paragraph markup (a CharButton's refobj).
inline constexpr WStringView kForwardButtonMarkup = u"bf#";
inline constexpr WStringView kReturnButtonMarkup = u"br#";

}  // namespace tavorin::fb2
