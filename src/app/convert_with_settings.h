// ConvertBook with settings already in memory, or with the executable's
// archive options, for programs built with the converter's sources (neither
// is part of the installed interface).
#pragma once

#include <cstdint>
#include <string>

#include "archive/zip_archive.h"
#include "settings/conversion_settings.h"
#include "tavorin/convert.h"

namespace tavorin {

// ConvertBook of tavorin/convert.h with `settings` (BuiltInSettings(),
// possibly changed) instead of a settings file.
ConvertResult ConvertBook(const std::string& inputPath, const std::string& outputPath,
                          const ConversionSettings& settings, const std::string& tempFolder, ConsoleSink& console);

// How a zip input is read: the most bytes its member may inflate to
// (--member-limit; 0 for no limit), and the entry of a many-book archive
// that a batch's child converts (-1: the archive's single file).
struct ArchiveInput {
    uint64_t memberLimit = kDefaultMemberLimit;
    int64_t memberIndex = -1;
};

// ConvertBook of tavorin/convert.h reading a zip input as `archive` says.
ConvertResult ConvertBook(const std::string& inputPath, const std::string& outputPath, const std::string& settingsPath,
                          const std::string& tempFolder, const ArchiveInput& archive, ConsoleSink& console);

}  // namespace tavorin
