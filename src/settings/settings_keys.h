// The keys of the settings file: which field each key line sets in which
// section, and how its value is converted.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "settings/conversion_settings.h"

namespace tavorin {

enum class SectionKind {
    kNone,  // before the first section line
    kStyle,
    kPage,
    kHeaderAndFooter,
    kOrder,
    kGeneral,
    kSaveJob,
    kInternalFonts,
    kReferences,
};

// Current section of the settings file; a style section names the style
// whose entry it sets.
struct SettingsSection {
    SectionKind kind = SectionKind::kNone;
    StyleKind style = StyleKind::kBody;  // read in a kStyle section only
};

// Applies one key line of the given section: every key of that section that
// the line contains receives `value` (the text after the line's first "=").
void ApplySettingsKeys(const SettingsSection& section, std::string_view line, std::string_view value,
                       ConversionSettings& settings);

// An integer value: optional leading blanks, an optional sign, then decimal
// digits or hexadecimal digits after "$", "0x", "0X", "x" or "X", and nothing
// else; it must fit in 32 signed bits.
std::optional<int32_t> ParseSettingsInt(std::string_view text);

// The text cut to at most `capacity` bytes, never inside a UTF-8 character.
std::string_view CutToCapacity(std::string_view text, size_t capacity);

}  // namespace tavorin
