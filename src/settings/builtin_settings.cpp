// The built-in conversion settings, the starting point that the settings file
// overrides.
#include "settings/conversion_settings.h"

namespace tavorin {

namespace {

constexpr const char* kDutch = "Dutch801 Rm BT Roman";
constexpr const char* kSwiss = "Swis721 BT Roman";
constexpr const char* kCourier = "Courier 10 Pitch Win95BT";

// One style entry as a row; sizes in tenths of a point, -1 for "no value".
struct StyleRow {
    StyleKind kind;
    const char* label;
    const char* font;
    int32_t size, bold, italic;
    int32_t marginLeft, marginRight, marginTop, marginBottom;
    int32_t parIdent, parSkip, lineSpace, wordSpace, blockAlign, blockRule;
    int32_t authorIdent, authorBoldItalic;
};

// The kinds tit1, subt1, hdre and ftre are absent: they are copies (below).
constexpr StyleRow kStyleRows[] = {
    //                               size bold ital   mL   mR   mT   mB  ind skip line word algn rule aInd aBI
    {StyleKind::kBody, "bdy", kDutch,       100,  0,   0,    0,   0,  -1,  -1,  4,   0, 100,  20,  0,   0,  15,  17},
    {StyleKind::kTitle, "tit0", kDutch,     120,  1,   0,    0,   0,  10,  10,  0,  -1, 100,  20,  1,  -1,  -1,  -1},
    {StyleKind::kEpigraph, "epig", kSwiss,   90,  0,   1,  100,   0,   0,  10,  5,   0, 100,  20,  0,  -1,  15,   1},
    {StyleKind::kPoem, "poem", kDutch,       90,  0,   1,  100,   0,   0,  10,  0,   0, 100,  20,  0,  -1,  15,   1},
    {StyleKind::kImage, "image", kDutch,    100, -1,  -1,    0,   0,   0,   0,  0,  -1,  -1,  20,  0,   5,   0,   0},
    {StyleKind::kSubtitle, "subtit0", kSwiss, 110, 1,  0,    0,   0,  10,  10,  0,  -1, 100,  20,  1,  -1,  -1,  -1},
    {StyleKind::kBookTitle, "bdtit", kDutch, 160,  0,   0,    0,   0,  50,  50,  0,  -1, 100,  20,  1,  -1,  -1,  -1},
    {StyleKind::kNote, "note", kCourier,     90,  0,   0,   10,  10,   5,   5,  0,   0, 100,  20,  0,  -1,  15,   1},
    {StyleKind::kHeaderOdd, "hdro", kSwiss,  70, -1,   1,   -1,  -1,  -1,  -1,  0,  -1,  -1,  20,  2,   0,  -1,  -1},
    {StyleKind::kFooterOdd, "ftro", kSwiss,  70, -1,   1,   -1,  -1,  -1,  -1,  0,  -1,  -1,  20,  0,   0,  -1,  -1},
    {StyleKind::kAnnotation, "annot", kCourier, 90, 0,  0,    0,   0,  -1,  -1,  2,   0, 100,  20,  0,  -1,  15,   1},
    {StyleKind::kCite, "cite", kSwiss,       90,  0,   1,   20,  20,  -1,  -1,  2,   0, 100,  20,  0,  -1,  15,   1},
    {StyleKind::kRefer, "refer", kCourier,   80,  0,   0,    0,   0,  -1,  -1,  0,   0, 100,  20,  1,  -1,  15,   1},
};

// The kinds without a section of their own. The style definitions replace
// them by whole copies of their source before use; until then they hold the
// source's values under their own label.
struct DerivedKind {
    StyleKind kind;
    StyleKind source;
    const char* label;
};

constexpr DerivedKind kDerivedKinds[] = {
    {StyleKind::kTitle1, StyleKind::kTitle, "tit1"},
    {StyleKind::kSubtitle1, StyleKind::kSubtitle, "subt1"},
    {StyleKind::kHeaderEven, StyleKind::kHeaderOdd, "hdre"},
    {StyleKind::kFooterEven, StyleKind::kFooterOdd, "ftre"},
};

static_assert(std::size(kStyleRows) + std::size(kDerivedKinds) == kStyleCount);

TStyleSettings MakeStyle(const StyleRow& row) {
    TStyleSettings style;
    style.Label = row.label;
    style.FontName = row.font;
    style.FontSize = row.size;
    style.IsBold = row.bold;
    style.IsItalic = row.italic;
    style.MarginLeft = row.marginLeft;
    style.MarginRight = row.marginRight;
    style.MarginTop = row.marginTop;
    style.MarginBottom = row.marginBottom;
    style.ParIdent = row.parIdent;
    style.ParSkip = row.parSkip;
    style.LineSpace = row.lineSpace;
    style.WordSpace = row.wordSpace;
    style.BlockAlign = row.blockAlign;
    style.BlockRule = row.blockRule;
    style.AuthorIdent = row.authorIdent;
    style.AuthorBoldItalic = row.authorBoldItalic;
    return style;
}

}  // namespace

ConversionSettings BuiltInSettings() {
    ConversionSettings settings;
    for (const StyleRow& row : kStyleRows) Style(settings, row.kind) = MakeStyle(row);
    for (const DerivedKind& derived : kDerivedKinds) {
        TStyleSettings& style = Style(settings, derived.kind);
        style = Style(settings, derived.source);
        style.Label = derived.label;
    }
    settings.HeaderLine.LineShift = 28;
    settings.HeaderLine.TextShift = 5;
    settings.FooterLine.LineShift = 1;
    settings.FooterLine.TextShift = 10;
    return settings;
}

}  // namespace tavorin
