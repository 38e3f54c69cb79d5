// Compression and scrambling of stream contents.
#include <zlib.h>

#include <new>

#include "lrf/writer/lrf_writer.h"

namespace tavorin::lrf {

void CompressStream(ByteBuffer& buffer) {
    uLongf packedSize = compressBound(static_cast<uLong>(buffer.size()));
    ByteBuffer packed(4 + packedSize);
    if (compress2(packed.data() + 4, &packedSize, buffer.data(), static_cast<uLong>(buffer.size()),
                  Z_DEFAULT_COMPRESSION) != Z_OK) {
        throw std::bad_alloc();  // compress2 fails only for lack of memory
    }
    packed.resize(4 + packedSize);
    SetU32(packed, 0, static_cast<uint32_t>(buffer.size()));
    buffer = std::move(packed);
}

// Readers derive the XOR value from the stored length and the key byte; a key
// byte of 0 means "not scrambled" to them, so it leaves the bytes alone here.
void ScrambleStream(ByteBuffer& buffer, uint8_t key, size_t count) {
    if (key == 0) return;
    const auto x = static_cast<uint8_t>(buffer.size() % key + 15);
    const size_t n = count < buffer.size() ? count : buffer.size();
    for (size_t i = 0; i < n; ++i) buffer[i] ^= x;
}

}  // namespace tavorin::lrf
