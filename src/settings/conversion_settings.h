// The conversion settings: every choice that shapes the produced book
// (fonts, sizes, margins and alignment of 17 kinds of text, page margins,
// running header and footer, metadata order, note reference looks). They
// start from built-in values and are then overridden by the settings file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>


namespace tavorin {

// The style of a kind of text: names one entry of the style table.
enum class StyleKind {
    kBody = 0,          // bdy
    kTitle = 1,         // tit0
    kEpigraph = 2,      // epig
    kPoem = 3,          // poem
    kImage = 4,         // image
    kSubtitle = 5,      // subtit0
    kTitle1 = 6,        // tit1, copy of tit0
    kSubtitle1 = 7,     // subt1, copy of subtit0
    kBookTitle = 8,     // bdtit
    kNote = 9,          // note
    kHeaderOdd = 10,    // hdro
    kFooterOdd = 11,    // ftro
    kHeaderEven = 12,   // hdre, copy of hdro with mirrored alignment
    kFooterEven = 13,   // ftre, copy of ftro with mirrored alignment
    kAnnotation = 14,   // annot
    kCite = 15,         // cite
    kRefer = 16,        // refer
};

inline constexpr size_t kStyleCount = 17;

// One style entry. In every integer field -1 means "no value given".
struct TStyleSettings {
    std::string Label;             // short 20
    std::string FontName;          // short 200
    int32_t FontSize = -1;         // tenths of a point
    int32_t IsBold = -1;
    int32_t IsItalic = -1;
    int32_t IsExternalFont = -1;
    std::string ExternalFontFile;  // "file|face|" or empty; short 200
    int32_t MarginLeft = -1;
    int32_t MarginRight = -1;
    int32_t MarginTop = -1;
    int32_t MarginBottom = -1;
    int32_t ParIdent = -1;
    int32_t ParSkip = -1;
    int32_t LineSpace = -1;
    int32_t WordSpace = -1;
    int32_t BlockAlign = -1;       // 0 head, 1 centre, 2 foot
    int32_t BlockRule = -1;
    int32_t AuthorIdent = -1;
    int32_t AuthorBoldItalic = -1; // bit 1 bold, bit 16 italic

    bool operator==(const TStyleSettings&) const = default;
};

struct TPageLayoutSettings {
    std::string Label = "gen";
    int32_t Top = 0, Left = 0, Right = 0, Bottom = 0;
    int32_t HeaderHeight = 30, FooterHeight = 30;
    int32_t HeaderSeparation = 5, FooterSeparation = 5;

    bool operator==(const TPageLayoutSettings&) const = default;
};

struct THeaderFooterSettings {
    std::string HeaderSource = "$AT";  // short 100
    std::string FooterSource = "$C";   // short 100
    int32_t HeaderWidth = 70, FooterWidth = 70;
    uint8_t HeaderShow = 1, FooterShow = 1;

    bool operator==(const THeaderFooterSettings&) const = default;
};

struct TRuleLineSettings {
    int32_t LineLeft = 5, LineRight = 5, LineShift = 0, LineWidth = 1;
    int32_t LineStyle = 3, LineColor = 127, TextShift = 0;

    bool operator==(const TRuleLineSettings&) const = default;
};

struct TOrderSettings {
    int32_t TitleOrder = 0;   // 0 title then series
    int32_t AuthorOrder = 0;  // 0 first name first
    uint8_t Initials = 0;     // 1 first names reduced to initials

    bool operator==(const TOrderSettings&) const = default;
};

struct TGeneralSettings {
    uint8_t CoverImageAdjust = 1;
    uint8_t PageAtSubtitles = 0;
    uint8_t Translit = 0;
    uint8_t Thumbnail = 1;  // a thumbnail of the cover in the book's header
    uint8_t DeviceCharacters = 1;  // 1 no-break space as U+000C, em dash as en dash; 0 as the book has them

    bool operator==(const TGeneralSettings&) const = default;
};

struct TReferenceSettings {
    uint8_t RefSuperScript = 0;
    int32_t RefUnderLine = 2, RefStyle = 0;
    int32_t RefNUnderLine = 2, RefNStyle = 0;

    bool operator==(const TReferenceSettings&) const = default;
};

struct ConversionSettings {
    std::array<TStyleSettings, kStyleCount> StyleTable;
    TPageLayoutSettings PageLayout;
    THeaderFooterSettings HeaderFooter;
    TRuleLineSettings HeaderLine;
    TRuleLineSettings FooterLine;
    TOrderSettings Order;
    TGeneralSettings General;
    TReferenceSettings References;

    bool operator==(const ConversionSettings&) const = default;
};

// The style table's entry of a kind: the one way into the table.
inline TStyleSettings& Style(ConversionSettings& settings, StyleKind kind) {
    return settings.StyleTable[static_cast<size_t>(kind)];
}
inline const TStyleSettings& Style(const ConversionSettings& settings, StyleKind kind) {
    return settings.StyleTable[static_cast<size_t>(kind)];
}

// The built-in values.
ConversionSettings BuiltInSettings();

}  // namespace tavorin
