// The codec for the encoding an XML declaration names: the built-in codecs
// by their names and common aliases in any case, any other encoding iconv
// knows, and UTF-8 for no name or a name nothing knows.
#pragma once

#include <memory>
#include <string_view>

#include "text/codecs.h"

namespace tavorin {

std::unique_ptr<TCustomUnicodeCodec> CodecForEncoding(std::string_view declared);

}  // namespace tavorin
