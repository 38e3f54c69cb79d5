// Tests of the settings file reader: sections, key matching, value
// conversion, the shipped default file and the missing-file exit.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <limits>
#include <string>

#include "settings/conversion_settings.h"
#include "settings/settings_file.h"
#include "settings/settings_keys.h"
#include "support/test_util.h"
#include "text/exit_codes.h"

namespace tavorin {
namespace {

constexpr int32_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();

ConversionSettings ReadFromBuiltIn(std::string_view text) {
    ConversionSettings settings = BuiltInSettings();
    ReadSettingsText(text, settings);
    return settings;
}

struct LineCase {
    const char* what;
    const char* text;
    std::function<void(ConversionSettings&)> expect;  // changes to the built-in values
};

TStyleSettings& Body(ConversionSettings& s) { return Style(s, StyleKind::kBody); }

const LineCase kLineCases[] = {
    {"FontSize is in points", "[MainText]\nFontSize=12", [](auto& s) { Body(s).FontSize = 120; }},
    {"FontSizex10 is in tenths", "[MainText]\nFontSizex10=125", [](auto& s) { Body(s).FontSize = 125; }},
    {"the later size line wins", "[MainText]\nFontSizex10=125\nFontSize=12", [](auto& s) { Body(s).FontSize = 120; }},
    {"a trailing blank spoils an integer", "[MainText]\nFontSize=12 ", [](auto&) {}},
    {"leading blanks and a sign are fine", "[MainText]\nMarginTop=  -3\nMarginBottom=+4",
     [](auto& s) { Body(s).MarginTop = -3; Body(s).MarginBottom = 4; }},
    {"MarginTop= contains Top=", "[Page]\nMarginTop=5", [](auto& s) { s.PageLayout.Top = 5; }},
    {"HeaderLineWidth= is not HeaderWidth=", "[HeaderAndFooter]\nHeaderLineWidth=2",
     [](auto& s) { s.HeaderLine.LineWidth = 2; }},
    {"a rule line key of each side", "[HeaderAndFooter]\nHeaderLineShift=7\nFooterTextShift=8",
     [](auto& s) { s.HeaderLine.LineShift = 7; s.FooterLine.TextShift = 8; }},
    {"';' in the first column is a comment", "[MainText]\n;FontName=Arial", [](auto&) {}},
    {"' ;' is a key line", "[MainText]\n ;FontName=Arial", [](auto& s) { Body(s).FontName = "Arial"; }},
    {"blanks of a text value are kept", "[MainText]\nFontName= My  Font ", [](auto& s) { Body(s).FontName = " My  Font "; }},
    {"the value starts after the first '='", "[HeaderAndFooter]\nHeaderSource=a=b",
     [](auto& s) { s.HeaderFooter.HeaderSource = "a=b"; }},
    {"[Header] sets the odd header only", "[Header]\nBlockAlign=0",
     [](auto& s) { Style(s, StyleKind::kHeaderOdd).BlockAlign = 0; }},
    {"[HeaderAndFooter] is not [Header]", "[HeaderAndFooter]\nBlockAlign=0", [](auto&) {}},
    {"external font value", "[MainText]\nExternalFontFile=C:\\fonts\\a.ttf|My Font|",
     [](auto& s) { Body(s).ExternalFontFile = "C:\\fonts\\a.ttf|My Font|"; }},
    {"the last section of the table order wins", "[Title][MainText]\nFontSize=9",
     [](auto& s) { Style(s, StyleKind::kTitle).FontSize = 90; }},
    {"a section line is read for keys too", "[Page] Left=7", [](auto& s) { s.PageLayout.Left = 7; }},
    {"keys before any section do nothing", "FontName=Arial\nTop=3\n[MainText]", [](auto&) {}},
    {"keys of another section do nothing", "[Page]\nFontName=Arial\n[MainText]\nTop=3", [](auto&) {}},
    {"[SaveJob] and [InternalFonts] change nothing", "[MainText]\n[SaveJob]\nFontName=A\n[InternalFonts]\n0=Arial\nTop=1",
     [](auto&) {}},
    {"CRLF line ends", "[MainText]\r\nFontSize=12\r\nFontName=Arial\r\n[General]\r\nTranslit=1\r\n",
     [](auto& s) { Body(s).FontSize = 120; Body(s).FontName = "Arial"; s.General.Translit = 1; }},
    {"bytes keep the low 8 bits", "[General]\nTranslit=257\n[TitleAndAutorOrder]\nInitials=-1",
     [](auto& s) { s.General.Translit = 1; s.Order.Initials = 255; }},
    {"characters as the book has them", "[General]\nDeviceCharacters=0", [](auto& s) { s.General.DeviceCharacters = 0; }},
    {"a size in points beyond 32 bits in tenths", "[MainText]\nFontSize=214748365", [](auto&) {}},
    {"the reference keys", "[References]\nRefSuperScript=1\nRefNStyle=2",
     [](auto& s) { s.References.RefSuperScript = 1; s.References.RefNStyle = 2; }},
};

TEST(SettingsText, KeyLinesSetExactlyTheirFields) {
    for (const LineCase& c : kLineCases) {
        SCOPED_TRACE(c.what);
        ConversionSettings expected = BuiltInSettings();
        c.expect(expected);
        EXPECT_TRUE(ReadFromBuiltIn(c.text) == expected);
    }
}

TEST(SettingsText, IntegerValues) {
    const struct {
        const char* text;
        std::optional<int32_t> value;
    } cases[] = {
        {"42", 42},        {"  42", 42},      {"-42", -42},     {"+42", 42},      {"$1F", 31},
        {"0x1f", 31},      {"0X1F", 31},      {"x10", 16},      {"X10", 16},      {"-$10", -16},
        {"2147483647", kInt32Max},            {"-2147483648", kInt32Min},         {"0x7FFFFFFF", kInt32Max},
        {"2147483648", {}}, {"0x80000000", {}}, {"$FFFFFFFF", {}}, {"99999999999999999999999", {}},
        {"", {}},          {" ", {}},         {"-", {}},        {"0x", {}},       {"$", {}},
        {"12 ", {}},       {"1a", {}},        {"- 1", {}},      {"--1", {}},      {"\t1", {}},
        {"$-1", {}},       {"0x+1", {}},      {"1\r", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseSettingsInt(c.text), c.value);
    }
}

TEST(SettingsText, TextValuesAreCutAtCharacterBoundaries) {
    const std::string longName(250, 'a');
    EXPECT_EQ(Style(ReadFromBuiltIn("[MainText]\nFontName=" + longName), StyleKind::kBody).FontName,
              std::string(200, 'a'));

    // "é" is two bytes: the 100th byte would split it.
    const std::string source = std::string(99, 'b') + "\xC3\xA9" + "c";
    EXPECT_EQ(ReadFromBuiltIn("[HeaderAndFooter]\nHeaderSource=" + source).HeaderFooter.HeaderSource, std::string(99, 'b'));

    // Bytes that are not UTF-8 are cut where the capacity ends.
    EXPECT_EQ(CutToCapacity(std::string(10, '\x80'), 4), std::string(4, '\x80'));
}

TEST(SettingsFile, DefaultFileHoldsTheBuiltInValues) {
    const std::string path = std::string(TAVORIN_SOURCE_DIR) + "/default_styles.sini";
    ConversionSettings settings = BuiltInSettings();
    EXPECT_TRUE(ReadSettingsFile(path, settings).ok());
    EXPECT_TRUE(settings == BuiltInSettings());

    // Every style key is written in the file: starting from empty entries,
    // the file alone rebuilds every style that has a section.
    const ConversionSettings builtIn = BuiltInSettings();
    settings = builtIn;
    for (TStyleSettings& style : settings.StyleTable) {
        TStyleSettings empty;
        empty.Label = style.Label;
        style = empty;
    }
    EXPECT_TRUE(ReadSettingsFile(path, settings).ok());
    for (const StyleKind kind :
         {StyleKind::kTitle1, StyleKind::kSubtitle1, StyleKind::kHeaderEven, StyleKind::kFooterEven}) {
        Style(settings, kind) = Style(builtIn, kind);
    }
    for (size_t index = 0; index < kStyleCount; ++index) {
        const auto kind = static_cast<StyleKind>(index);
        SCOPED_TRACE(Style(builtIn, kind).Label);
        EXPECT_TRUE(Style(settings, kind) == Style(builtIn, kind));
    }
}

TEST(SettingsFile, MissingFileEndsTheRunWithCode3) {
    const test::ScratchDir dir;
    for (const std::string& path : {dir.file("absent.sini"), dir.path().string()}) {
        SCOPED_TRACE(path);
        ConversionSettings settings = BuiltInSettings();
        const Status status = ReadSettingsFile(path, settings);
        EXPECT_EQ(status.code, kExitNoSettings);
        EXPECT_EQ(status.message, "Error: Cannot open style file:" + path);
    }
}

}  // namespace
}  // namespace tavorin
