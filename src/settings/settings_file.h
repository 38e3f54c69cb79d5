// The settings file: its lines read on top of the settings the caller gives.
#pragma once

#include <string>
#include <string_view>

#include "settings/conversion_settings.h"
#include "text/exit_codes.h"

namespace tavorin {

// Reads the settings file at `path` on top of `settings` (usually the
// built-in values). A file that cannot be read is kExitNoSettings with its path.
Status ReadSettingsFile(const std::string& path, ConversionSettings& settings);

// Reads settings-file text held in memory on top of `settings`: the same line
// format as the file, without the file access.
void ReadSettingsText(std::string_view text, ConversionSettings& settings);

}  // namespace tavorin
