// Helpers shared by the builders: the encoding of a typed tag list into the
// tag store.
#pragma once

#include <algorithm>
#include <span>

#include "lrf/store/builders.h"
#include "lrf/tags/tag_table.h"

namespace tavorin::lrf {

// Encodes the tags with the selected attribute rules at the end of the tag
// store and returns the range they fill.
inline Range EncodeToTagStore(ByteBuffer& tagStore, Console& console, int selector, std::span<const TagValue> tags) {
    Range range{tagStore.size(), 0};
    EncodeTags(selector, tagStore, tags, console);
    range.end = tagStore.size();
    return range;
}

// Block styles, headers and footers always carry a fill colour: opaque black
// unless the list names one.
inline Range EncodeFilledBlockTags(ByteBuffer& tagStore, Console& console, std::span<const TagValue> tags) {
    const bool filled = std::any_of(tags.begin(), tags.end(), [](const TagValue& t) { return t.tag == Tag::kBgColor; });
    const Range range = EncodeToTagStore(tagStore, console, kBlockAttributes, tags);
    if (filled) return range;
    const TagValue black[] = {{Tag::kBgColor, 0xff000000, {}}};
    return Range{range.start, EncodeToTagStore(tagStore, console, kBlockAttributes, black).end};
}

}  // namespace tavorin::lrf
