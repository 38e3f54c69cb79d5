// Linking and writing of the LRF book: object ids, label resolution, and the
// file writer with its compression, scrambling and object index.
#pragma once

#include <span>
#include <string>

#include "lrf/store/byte_buffer.h"

namespace tavorin::lrf {

// Gives every object its id (from 50 upward); run once, after all builders.
void AssignObjectIds();
// Replaces label references by ids; prints a line for every unresolved one.
void LinkObjects();
// Writes the whole book to `outputPath` atomically. On failure prints
// "\rCannot write outputfile:" + path and throws RunExit{11}.
void WriteLrfFile(const std::string& outputPath);

// One zlib stream (zlib format, default level) of the bytes.
ByteBuffer ZlibCompress(std::span<const uint8_t> bytes);
// Replaces the buffer by its 4-byte uncompressed length + zlib stream.
void CompressStream(ByteBuffer& buffer);
// XORs the first `count` bytes with (buffer length mod key) + 15.
void ScrambleStream(ByteBuffer& buffer, uint8_t key, size_t count);

}  // namespace tavorin::lrf
