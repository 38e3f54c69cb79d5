// Compression and scrambling of stream contents: the deflate compressor of
// one book, zlib streams, and the scrambling of a stream's first bytes.
#pragma once

#include <memory>
#include <span>

#include "lrf/store/byte_buffer.h"

struct libdeflate_compressor;

namespace tavorin::lrf {

// A deflate compressor at zlib's default level. A compressor keeps working
// buffers while it runs, so each book written has one of its own.
class Deflater {
public:
    Deflater();
    libdeflate_compressor* get() const { return compressor_.get(); }

private:
    struct Free {
        void operator()(libdeflate_compressor* c) const;
    };
    std::unique_ptr<libdeflate_compressor, Free> compressor_;
};

// One zlib stream (zlib format, default level) of the bytes.
ByteBuffer ZlibCompress(Deflater& deflater, std::span<const uint8_t> bytes);
// The bytes' 4-byte uncompressed length + zlib stream.
ByteBuffer CompressedStream(Deflater& deflater, std::span<const uint8_t> bytes);
// Replaces the buffer by its CompressedStream.
void CompressStream(Deflater& deflater, ByteBuffer& buffer);
// XORs the first `count` bytes with (buffer length mod key) + 15.
void ScrambleStream(ByteBuffer& buffer, uint8_t key, size_t count);

}  // namespace tavorin::lrf
