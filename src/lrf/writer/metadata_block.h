// The book metadata block: the metadata XML as one zlib stream.
#pragma once

#include <cstdint>

#include "lrf/store/byte_buffer.h"
#include "lrf/writer/stream_codec.h"
#include "text/wide.h"

namespace tavorin::lrf {

struct MetadataBlock {
    ByteBuffer compressed;          // zlib stream of FF FE + the text in UTF-16LE
    uint32_t uncompressedSize = 0;  // byte-order mark included
};

// The header stores the compressed size + 4 in 16 bits.
inline constexpr size_t kMaxCompressedMetadata = 0xFFFF - 4;

// Compresses the metadata text. When the result is too large for the header
// field, the content of the FreeText element is shortened, at a point that
// keeps the XML well formed, until it fits.
MetadataBlock CompressMetadata(Deflater& deflater, WStringView xml);

}  // namespace tavorin::lrf
