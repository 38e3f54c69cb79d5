// Compression and scrambling of stream contents. Deflate is libdeflate's:
// the same zlib format as zlib at its default level, in about half the time,
// and deflate is most of the time a conversion takes.
#include <libdeflate.h>

#include <memory>
#include <new>

#include "lrf/writer/stream_codec.h"

namespace tavorin::lrf {

namespace {

constexpr int kDefaultLevel = 6;  // zlib's Z_DEFAULT_COMPRESSION

// Deflates `in` as one zlib stream into out[offset...]; out is resized to fit.
void DeflateInto(Deflater& deflater, std::span<const uint8_t> in, ByteBuffer& out, size_t offset) {
    libdeflate_compressor* c = deflater.get();
    out.resize(offset + libdeflate_zlib_compress_bound(c, in.size()));
    const size_t size = libdeflate_zlib_compress(c, in.data(), in.size(), out.data() + offset, out.size() - offset);
    if (size == 0) throw std::bad_alloc();  // cannot happen with a buffer of the bound's size
    out.resize(offset + size);
}

}  // namespace

Deflater::Deflater() : compressor_(libdeflate_alloc_compressor(kDefaultLevel)) {
    if (!compressor_) throw std::bad_alloc();
}

void Deflater::Free::operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }

ByteBuffer ZlibCompress(Deflater& deflater, std::span<const uint8_t> bytes) {
    ByteBuffer packed;
    DeflateInto(deflater, bytes, packed, 0);
    return packed;
}

ByteBuffer CompressedStream(Deflater& deflater, std::span<const uint8_t> bytes) {
    ByteBuffer packed;
    DeflateInto(deflater, bytes, packed, 4);
    SetU32(packed, 0, static_cast<uint32_t>(bytes.size()));
    return packed;
}

void CompressStream(Deflater& deflater, ByteBuffer& buffer) { buffer = CompressedStream(deflater, buffer); }

// Readers derive the XOR value from the stored length and the key byte; a key
// byte of 0 means "not scrambled" to them, so it leaves the bytes alone here.
void ScrambleStream(ByteBuffer& buffer, uint8_t key, size_t count) {
    if (key == 0) return;
    const auto x = static_cast<uint8_t>(buffer.size() % key + 15);
    const size_t n = count < buffer.size() ? count : buffer.size();
    for (size_t i = 0; i < n; ++i) buffer[i] ^= x;
}

}  // namespace tavorin::lrf
