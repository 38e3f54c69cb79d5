// Builders of text, block and page styles, the book-wide default text
// attributes, the book header settings and the registered fonts.
#include "lrf/store/builder_support.h"

namespace tavorin::lrf {

namespace {

constexpr uint16_t kBindingLeftToRight = 1;
constexpr uint16_t kBindingRightToLeft = 16;

std::vector<StyleRecord>& StylesOfKind(ObjectStore& store, ElementKind kind) {
    switch (kind) {
        case kKindBlockStyle: return store.blockStyles;
        case kKindPageStyle: return store.pageStyles;
        default: return store.textStyles;
    }
}

// Parses the decimal attribute into `field`; false (field unchanged) when it is not a number.
template <typename Field>
bool ReadHeaderNumber(WStringView name, WStringView element, Field& field) {
    int64_t value = 0;
    if (!ParseInt8(GetAttribute(name, element), value)) return false;
    field = static_cast<Field>(value);
    return true;
}

}  // namespace

void BuildStyle(ObjectStore& store, Console& console, ElementKind kind, WStringView element) {
    std::vector<StyleRecord>& styles = StylesOfKind(store, kind);
    StyleRecord style;
    style.id = static_cast<uint32_t>(styles.size());
    style.objid = GetAttribute(u"objid", element);
    style.styleLabel = GetAttribute(u"stylelabel", element);
    switch (kind) {
        case kKindBlockStyle: style.tags = EncodeFilledBlockAttributes(store, console, element); break;
        case kKindPageStyle: style.tags = EncodeToTagStore(store, console, kPageAttributes, element); break;
        default: style.tags = EncodeToTagStore(store, console, kTextAttributes, element); break;
    }
    styles.push_back(std::move(style));
}

void BuildBookDefaults(ObjectStore& store, Console& console, WStringView element) {
    // The book attribute object is the only one of its kind: number 0.
    store.bookDefaultsNumber = 0;
    store.bookDefaults = EncodeToTagStore(store, console, kTextAttributes, element);
}

void ApplyBookSetting(ObjectStore& store, Console& console, WStringView element) {
    BookHeaderSettings& header = store.header;
    header.scrambleKey = kScrambleKey;
    const std::string binding = GetAttribute(u"bindingdirection", element);
    if (binding == "Lr") header.bindingDirection = kBindingLeftToRight;
    else if (binding == "Rl") header.bindingDirection = kBindingRightToLeft;

    // Read in this order; the first number that fails leaves the rest as they were.
    const bool complete = ReadHeaderNumber(u"dpi", element, header.dpi) &&
                          ReadHeaderNumber(u"screenwidth", element, header.screenWidth) &&
                          ReadHeaderNumber(u"screenheight", element, header.screenHeight) &&
                          ReadHeaderNumber(u"colordepth", element, header.colorDepth);
    if (!complete) console.Line("\nError: incorrect Book Header reading");
}

void RegisterFont(ObjectStore& store, WStringView element) {
    FontRecord font;
    font.fontName = GetAttribute(u"fontname", element);
    if (!store.fontNames.insert(font.fontName).second) return;  // a font is registered once
    font.id = static_cast<uint32_t>(store.fonts.size());
    font.file = GetAttribute(u"file", element);
    font.fontFileName = GetAttribute(u"fontfilename", element);
    store.fonts.push_back(std::move(font));
}

}  // namespace tavorin::lrf
