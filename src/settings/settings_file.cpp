// Reading the settings file: lines, section lines and key lines, applied on
// top of the settings the caller gives.
#include "settings/settings_file.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "settings/conversion_settings.h"
#include "settings/settings_keys.h"

namespace tavorin {

namespace {

struct SectionName {
    std::string_view name;
    SettingsSection section;
};

// A line containing several names selects the last one of this list.
constexpr SectionName kSectionNames[] = {
    {"[MainText]", {SectionKind::kStyle, StyleKind::kBody}},
    {"[Title]", {SectionKind::kStyle, StyleKind::kTitle}},
    {"[Epigraph]", {SectionKind::kStyle, StyleKind::kEpigraph}},
    {"[Verse]", {SectionKind::kStyle, StyleKind::kPoem}},
    {"[Image]", {SectionKind::kStyle, StyleKind::kImage}},
    {"[SubTitle]", {SectionKind::kStyle, StyleKind::kSubtitle}},
    {"[BookTitle]", {SectionKind::kStyle, StyleKind::kBookTitle}},
    {"[Note]", {SectionKind::kStyle, StyleKind::kNote}},
    {"[Header]", {SectionKind::kStyle, StyleKind::kHeaderOdd}},
    {"[Footer]", {SectionKind::kStyle, StyleKind::kFooterOdd}},
    {"[Annotation]", {SectionKind::kStyle, StyleKind::kAnnotation}},
    {"[Cite]", {SectionKind::kStyle, StyleKind::kCite}},
    {"[RefNotes]", {SectionKind::kStyle, StyleKind::kRefer}},
    {"[Page]", {SectionKind::kPage}},
    {"[HeaderAndFooter]", {SectionKind::kHeaderAndFooter}},
    {"[TitleAndAutorOrder]", {SectionKind::kOrder}},
    {"[General]", {SectionKind::kGeneral}},
    {"[SaveJob]", {SectionKind::kSaveJob}},
    {"[References]", {SectionKind::kReferences}},
    {"[InternalFonts]", {SectionKind::kInternalFonts}},
};

// One line without its line break. A section name anywhere in the line
// changes the section, and the same line is still read for keys.
void ReadSettingsLine(std::string_view line, SettingsSection& section, ConversionSettings& settings) {
    // Files written on Windows end their lines in "\r\n"; without this the
    // '\r' would end every value and make every integer invalid.
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.empty() || line.front() == ';') return;

    for (const SectionName& entry : kSectionNames) {
        if (line.find(entry.name) != std::string_view::npos) section = entry.section;
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) return;  // every key ends in "="
    ApplySettingsKeys(section, line, line.substr(equals + 1), settings);
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The whole file, or nothing when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& path) {
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rbe"));
    if (!file) return std::nullopt;
    std::string text;
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) text.append(chunk, got);
    if (std::ferror(file.get())) return std::nullopt;  // a folder, for one
    return text;
}

}  // namespace

void ReadSettingsText(std::string_view text, ConversionSettings& settings) {
    SettingsSection section;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        ReadSettingsLine(text.substr(start, end - start), section, settings);
        start = end + 1;
    }
}

Status ReadSettingsFile(const std::string& path, ConversionSettings& settings) {
    const std::optional<std::string> text = ReadWholeFile(path);
    if (!text) return Fail(kExitNoSettings, path);
    ReadSettingsText(*text, settings);
    return {};
}

}  // namespace tavorin
