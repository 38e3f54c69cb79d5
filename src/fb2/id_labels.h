// Labels of buttons made from the book's element ids. The converter names
// its own buttons with letters and '_' ("bf_fb2description"); every label
// made from an id puts '#' between its prefix and the id, which none of those
// names holds, so that an id such as "3" or "_fb2description" names only its
// own element. Blocks are never named by label: the FB2 ids of blocks map to
// block numbers in the link table (notes.h).
#pragma once

#include <string_view>

namespace tavorin::fb2 {

// The forward and return buttons of a link to the id, as objids.
inline constexpr std::string_view kForwardButtonPrefix = "bf#";
inline constexpr std::string_view kReturnButtonPrefix = "br#";

}  // namespace tavorin::fb2
