// The key tables of the settings file and the conversion of key values into
// the fields of ConversionSettings.
#include "settings/settings_keys.h"

#include <charconv>
#include <limits>

namespace tavorin {

namespace {

constexpr size_t kShortText100 = 100;
constexpr size_t kShortText200 = 200;

enum class FieldType {
    Integer,
    Points,  // an integer in points, stored in tenths of a point
    Byte,    // an integer of which the low 8 bits are stored
    Text,
};

// One key of a section and the field of `Record` it sets. The key includes
// its "=", so "FontSize=" is not found inside "FontSizex10=".
template <typename Record>
struct KeyRow {
    std::string_view key;
    FieldType type;
    int32_t Record::*integer = nullptr;  // Integer, Points
    uint8_t Record::*byte = nullptr;
    std::string Record::*text = nullptr;
    size_t capacity = 0;
};

template <typename Record>
constexpr KeyRow<Record> IntegerKey(std::string_view key, int32_t Record::*field) {
    return {key, FieldType::Integer, field};
}

template <typename Record>
constexpr KeyRow<Record> PointsKey(std::string_view key, int32_t Record::*field) {
    return {key, FieldType::Points, field};
}

template <typename Record>
constexpr KeyRow<Record> ByteKey(std::string_view key, uint8_t Record::*field) {
    return {key, FieldType::Byte, nullptr, field};
}

template <typename Record>
constexpr KeyRow<Record> TextKey(std::string_view key, std::string Record::*field, size_t capacity) {
    return {key, FieldType::Text, nullptr, nullptr, field, capacity};
}

using S = TStyleSettings;
constexpr KeyRow<S> kStyleKeys[] = {
    TextKey("FontName=", &S::FontName, kShortText200),
    PointsKey("FontSize=", &S::FontSize),
    IntegerKey("FontSizex10=", &S::FontSize),
    IntegerKey("IsBold=", &S::IsBold),
    IntegerKey("IsItalic=", &S::IsItalic),
    IntegerKey("IsExternalFont=", &S::IsExternalFont),
    TextKey("ExternalFontFile=", &S::ExternalFontFile, kShortText200),
    IntegerKey("MarginLeft=", &S::MarginLeft),
    IntegerKey("MarginRight=", &S::MarginRight),
    IntegerKey("MarginTop=", &S::MarginTop),
    IntegerKey("MarginBottom=", &S::MarginBottom),
    IntegerKey("ParIdent=", &S::ParIdent),
    IntegerKey("ParSkip=", &S::ParSkip),
    IntegerKey("LineSpace=", &S::LineSpace),
    IntegerKey("WordSpace=", &S::WordSpace),
    IntegerKey("BlockAlign=", &S::BlockAlign),
    IntegerKey("BlockRule=", &S::BlockRule),
    IntegerKey("AuthorIdent=", &S::AuthorIdent),
    IntegerKey("AuthorBoldItalic=", &S::AuthorBoldItalic),
};

// "Top=" is also found in lines of other keys ("MarginTop=5"); that is how
// the file format has always behaved.
using P = TPageLayoutSettings;
constexpr KeyRow<P> kPageKeys[] = {
    IntegerKey("Top=", &P::Top),
    IntegerKey("Left=", &P::Left),
    IntegerKey("Right=", &P::Right),
    IntegerKey("Bottom=", &P::Bottom),
    IntegerKey("HeaderHeight=", &P::HeaderHeight),
    IntegerKey("HeaderSeparation=", &P::HeaderSeparation),
    IntegerKey("FooterHeight=", &P::FooterHeight),
    IntegerKey("FooterSeparation=", &P::FooterSeparation),
};

using H = THeaderFooterSettings;
constexpr KeyRow<H> kHeaderFooterKeys[] = {
    TextKey("HeaderSource=", &H::HeaderSource, kShortText100),
    TextKey("FooterSource=", &H::FooterSource, kShortText100),
    IntegerKey("HeaderWidth=", &H::HeaderWidth),
    IntegerKey("FooterWidth=", &H::FooterWidth),
    ByteKey("HeaderShow=", &H::HeaderShow),
    ByteKey("FooterShow=", &H::FooterShow),
};

using L = TRuleLineSettings;
constexpr KeyRow<L> kHeaderLineKeys[] = {
    IntegerKey("HeaderTextShift=", &L::TextShift),
    IntegerKey("HeaderLineStyle=", &L::LineStyle),
    IntegerKey("HeaderLineColor=", &L::LineColor),
    IntegerKey("HeaderLineLeft=", &L::LineLeft),
    IntegerKey("HeaderLineRight=", &L::LineRight),
    IntegerKey("HeaderLineShift=", &L::LineShift),
    IntegerKey("HeaderLineWidth=", &L::LineWidth),
};

constexpr KeyRow<L> kFooterLineKeys[] = {
    IntegerKey("FooterTextShift=", &L::TextShift),
    IntegerKey("FooterLineStyle=", &L::LineStyle),
    IntegerKey("FooterLineColor=", &L::LineColor),
    IntegerKey("FooterLineLeft=", &L::LineLeft),
    IntegerKey("FooterLineRight=", &L::LineRight),
    IntegerKey("FooterLineShift=", &L::LineShift),
    IntegerKey("FooterLineWidth=", &L::LineWidth),
};

using O = TOrderSettings;
constexpr KeyRow<O> kOrderKeys[] = {
    IntegerKey("TitleOrder=", &O::TitleOrder),
    IntegerKey("AuthorOrder=", &O::AuthorOrder),
    ByteKey("Initials=", &O::Initials),
};

using G = TGeneralSettings;
constexpr KeyRow<G> kGeneralKeys[] = {
    ByteKey("CoverImageAdjust=", &G::CoverImageAdjust),
    ByteKey("PageAtSubtitles=", &G::PageAtSubtitles),
    ByteKey("Translit=", &G::Translit),
    ByteKey("Thumbnail=", &G::Thumbnail),
    ByteKey("DeviceCharacters=", &G::DeviceCharacters),
};

using R = TReferenceSettings;
constexpr KeyRow<R> kReferenceKeys[] = {
    ByteKey("RefSuperScript=", &R::RefSuperScript),
    IntegerKey("RefUnderLine=", &R::RefUnderLine),
    IntegerKey("RefStyle=", &R::RefStyle),
    IntegerKey("RefNUnderLine=", &R::RefNUnderLine),
    IntegerKey("RefNStyle=", &R::RefNStyle),
};

// Stores the value in the row's field; an invalid integer leaves it as it is.
template <typename Record>
void StoreValue(const KeyRow<Record>& row, std::string_view value, Record& record) {
    if (row.type == FieldType::Text) {
        record.*row.text = CutToCapacity(value, row.capacity);
        return;
    }
    const std::optional<int32_t> number = ParseSettingsInt(value);
    if (!number) return;
    switch (row.type) {
        case FieldType::Integer:
            record.*row.integer = *number;
            break;
        case FieldType::Points:
            // Sizes beyond the 32-bit range in tenths count as invalid.
            if (*number <= std::numeric_limits<int32_t>::max() / 10 &&
                *number >= std::numeric_limits<int32_t>::min() / 10) {
                record.*row.integer = *number * 10;
            }
            break;
        case FieldType::Byte:
            record.*row.byte = static_cast<uint8_t>(*number);
            break;
        case FieldType::Text:
            break;
    }
}

template <typename Record, size_t N>
void ApplyKeys(const KeyRow<Record> (&rows)[N], std::string_view line, std::string_view value, Record& record) {
    for (const KeyRow<Record>& row : rows) {
        if (line.find(row.key) != std::string_view::npos) StoreValue(row, value, record);
    }
}

constexpr std::string_view kHexPrefixes[] = {"$", "0x", "0X", "x", "X"};

bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

void ApplySettingsKeys(const SettingsSection& section, std::string_view line, std::string_view value,
                       ConversionSettings& settings) {
    switch (section.kind) {
        case SectionKind::kStyle:
            ApplyKeys(kStyleKeys, line, value, Style(settings, section.style));
            break;
        case SectionKind::kPage:
            ApplyKeys(kPageKeys, line, value, settings.PageLayout);
            break;
        case SectionKind::kHeaderAndFooter:
            ApplyKeys(kHeaderFooterKeys, line, value, settings.HeaderFooter);
            ApplyKeys(kHeaderLineKeys, line, value, settings.HeaderLine);
            ApplyKeys(kFooterLineKeys, line, value, settings.FooterLine);
            break;
        case SectionKind::kOrder:
            ApplyKeys(kOrderKeys, line, value, settings.Order);
            break;
        case SectionKind::kGeneral:
            ApplyKeys(kGeneralKeys, line, value, settings.General);
            break;
        case SectionKind::kReferences:
            ApplyKeys(kReferenceKeys, line, value, settings.References);
            break;
        default:
            // No section yet, [SaveJob], and [InternalFonts] whose keys are dropped.
            break;
    }
}

std::optional<int32_t> ParseSettingsInt(std::string_view text) {
    size_t pos = text.find_first_not_of(' ');
    if (pos == std::string_view::npos) return std::nullopt;
    text.remove_prefix(pos);

    const bool negative = text.front() == '-';
    if (negative || text.front() == '+') text.remove_prefix(1);

    int base = 10;
    for (const std::string_view prefix : kHexPrefixes) {
        if (text.starts_with(prefix)) {
            text.remove_prefix(prefix.size());
            base = 16;
            break;
        }
    }

    // from_chars on an unsigned type takes no sign, blank or prefix, so only
    // bare digits pass; overflow of 64 bits is reported as out of range.
    uint64_t magnitude = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, magnitude, base);
    if (error != std::errc{} || stop != end) return std::nullopt;

    constexpr uint64_t kMaxPositive = std::numeric_limits<int32_t>::max();
    if (magnitude > kMaxPositive + (negative ? 1 : 0)) return std::nullopt;
    const int64_t value = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    return static_cast<int32_t>(value);
}

std::string_view CutToCapacity(std::string_view text, size_t capacity) {
    if (text.size() <= capacity) return text;
    // A UTF-8 character has at most three continuation bytes; step back over
    // them to the start of the character that would be split.
    size_t cut = capacity;
    for (int back = 0; back < 3 && cut > 0 && IsUtf8Continuation(text[cut]); ++back) --cut;
    if (IsUtf8Continuation(text[cut])) cut = capacity;  // not UTF-8: cut bytes
    return text.substr(0, cut);
}

}  // namespace tavorin
