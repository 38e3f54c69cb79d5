// Builders of text, block and page styles, the book-wide default text
// attributes, the book header settings and the registered fonts.
#include "lrf/store/builder_support.h"

namespace tavorin::lrf {

namespace {

std::vector<StyleRecord>& StylesOfKind(ObjectStore& store, ElementKind kind) {
    switch (kind) {
        case kKindBlockStyle: return store.blockStyles;
        case kKindPageStyle: return store.pageStyles;
        default: return store.textStyles;
    }
}

}  // namespace

uint32_t BuildStyle(ObjectStore& store, Console& console, ElementKind kind, std::string styleLabel,
                    std::span<const TagValue> tags) {
    std::vector<StyleRecord>& styles = StylesOfKind(store, kind);
    StyleRecord style;
    style.id = static_cast<uint32_t>(styles.size());
    style.styleLabel = std::move(styleLabel);
    switch (kind) {
        case kKindBlockStyle: style.tags = EncodeFilledBlockTags(store.tagStore, console, tags); break;
        case kKindPageStyle: style.tags = EncodeToTagStore(store.tagStore, console, kPageAttributes, tags); break;
        default: style.tags = EncodeToTagStore(store.tagStore, console, kTextAttributes, tags); break;
    }
    styles.push_back(std::move(style));
    return static_cast<uint32_t>(styles.size() - 1);
}

void BuildBookDefaults(ObjectStore& store, Console& console, std::span<const TagValue> tags) {
    // The book attribute object is the only one of its kind: number 0.
    store.bookDefaultsNumber = 0;
    store.bookDefaults = EncodeToTagStore(store.tagStore, console, kTextAttributes, tags);
}

void ApplyBookSetting(ObjectStore& store, BookHeaderSettings header) {
    header.scrambleKey = kScrambleKey;
    store.header = header;
}

void RegisterFont(ObjectStore& store, FontRecord font) {
    if (!store.fontNames.insert(font.fontName).second) return;  // a font is registered once
    font.id = static_cast<uint32_t>(store.fonts.size());
    store.fonts.push_back(std::move(font));
}

}  // namespace tavorin::lrf
