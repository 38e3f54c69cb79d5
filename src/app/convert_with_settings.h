// ConvertBook with settings already in memory, for programs built with the
// converter's sources (the settings record is not part of the installed
// interface).
#pragma once

#include <string>

#include "settings/conversion_settings.h"
#include "tavorin/convert.h"

namespace tavorin {

// ConvertBook of tavorin/convert.h with `settings` (BuiltInSettings(),
// possibly changed) instead of a settings file.
ConvertResult ConvertBook(const std::string& inputPath, const std::string& outputPath,
                          const ConversionSettings& settings, const std::string& tempFolder, ConsoleSink& console);

}  // namespace tavorin
