// Base64 decoding of the binary elements of an FB2 file.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "text/wide.h"

namespace tavorin {

// Decodes standard base64; every byte outside the alphabet (line breaks,
// blanks, '=', stray characters) is skipped without error.
std::vector<uint8_t> Base64Decode(std::string_view text);
std::vector<uint8_t> Base64Decode(WStringView text);

}  // namespace tavorin
