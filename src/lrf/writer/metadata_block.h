// The book metadata block: the metadata XML as one zlib stream.
#pragma once

#include <cstdint>
#include <vector>

#include "lrf/store/byte_buffer.h"
#include "lrf/writer/stream_codec.h"
#include "text/wide.h"

namespace tavorin::lrf {

struct MetadataBlock {
    ByteBuffer compressed;          // zlib stream of FF FE + the text in UTF-16LE
    uint32_t uncompressedSize = 0;  // byte-order mark included
    std::vector<WString> shortened; // elements whose values were shortened to fit, in order
};

// The header stores the compressed size + 4 in 16 bits.
inline constexpr size_t kMaxCompressedMetadata = 0xFFFF - 4;

// Compresses the metadata text. When the result is too large for the header
// field, values are shortened (each cut one ends in an ellipsis) at points
// that keep the XML well formed: the FreeText (the annotation) alone, as
// little as needed, when that is enough; else every value (title and its
// reading, authors, id, categories, language, the annotation ...) longer
// than one common length, the longest at which the block fits.
MetadataBlock CompressMetadata(Deflater& deflater, WStringView xml);

}  // namespace tavorin::lrf
