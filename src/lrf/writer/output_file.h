// Saving the finished book in one step.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tavorin::lrf {

// Writes the bytes into a new file in the target's folder and renames it over
// the target, so the target is either the old file or the whole new one.
// Returns false on any failure, leaving no temporary file behind.
bool SaveFileAtomically(const std::string& path, std::span<const uint8_t> bytes);

}  // namespace tavorin::lrf
