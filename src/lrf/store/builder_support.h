// Helpers shared by the element builders: numeric attributes and the encoding
// of an element's attributes into the tag store.
#pragma once

#include <cstdint>

#include "lrf/store/builders.h"
#include "lrf/tags/tag_table.h"

namespace tavorin::lrf {

// Decimal value of an attribute; `fallback` when it is absent or not a number.
inline int64_t NumberAttribute(WStringView name, WStringView text, int64_t fallback) {
    int64_t value = 0;
    return ParseInt8(GetAttribute(name, text), value) ? value : fallback;
}

// Encodes the element's attributes with the selected table at the end of the
// tag store and returns the range they fill.
inline Range EncodeToTagStore(ObjectStore& store, Console& console, int selector, WStringView element) {
    Range range{store.tagStore.size(), 0};
    EncodeAttributes(selector, store.tagStore, element, console);
    range.end = store.tagStore.size();
    return range;
}

// Block styles, headers and footers always carry a fill colour: opaque black
// unless the element names one ("bgcolor" anywhere in it counts).
inline Range EncodeFilledBlockAttributes(ObjectStore& store, Console& console, WStringView element) {
    if (Contains(element, u"bgcolor")) return EncodeToTagStore(store, console, kBlockAttributes, element);
    WString filled(element);
    filled += u" bgcolor=\"0xff000000\" ";
    return EncodeToTagStore(store, console, kBlockAttributes, filled);
}

}  // namespace tavorin::lrf
