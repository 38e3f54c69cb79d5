// Linking and writing of the LRF book: object ids, label resolution, and the
// file writer with its compression, scrambling and object index.
#pragma once

#include <memory>
#include <span>
#include <string>

#include "lrf/store/byte_buffer.h"
#include "lrf/store/object_store.h"
#include "text/console.h"
#include "text/exit_codes.h"

struct libdeflate_compressor;

namespace tavorin::lrf {

// Gives every object its id (from 50 upward); run once, after all builders.
void AssignObjectIds(ObjectStore& store);
// Replaces label references by ids; prints a line for every unresolved one.
void LinkObjects(ObjectStore& store, Console& console);
// Writes the whole book to `outputPath` atomically, advancing the progress
// line; a thumbnail named in the store is read beside `inputPath`. A file
// that cannot be saved is kExitCannotWriteOutput with its path, a named
// thumbnail that cannot be read kExitReadError.
Status WriteLrfFile(ObjectStore& store, Console& console, const std::string& outputPath, const std::string& inputPath);

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
// Replaces the buffer by its 4-byte uncompressed length + zlib stream.
void CompressStream(Deflater& deflater, ByteBuffer& buffer);
// XORs the first `count` bytes with (buffer length mod key) + 15.
void ScrambleStream(ByteBuffer& buffer, uint8_t key, size_t count);

}  // namespace tavorin::lrf
