// Object framing and the object index shared by all object writers.
#include "lrf/writer/writer_output.h"

namespace tavorin::lrf {

LrfOutput g_output;

void AppendIndexEntry(uint32_t id, uint32_t offset, uint32_t length) {
    PutU32(g_output.index, id);
    PutU32(g_output.index, offset);
    PutU32(g_output.index, length);
    PutU32(g_output.index, 0);
    ++g_output.indexEntries;
}

ByteBuffer StartObject(uint32_t id, ObjectType type) {
    ByteBuffer object;
    PutTag32(object, kTagObjectStart, id);
    PutU16(object, type);
    return object;
}

void PutStream(ByteBuffer& object, uint16_t flags, std::span<const uint8_t> contents) {
    PutTag16(object, kTagStreamFlags, flags);
    PutTag32(object, kTagStreamSize, static_cast<uint32_t>(contents.size()));
    PutTag(object, kTagStreamStart);
    PutBytes(object, contents);
    PutTag(object, kTagStreamEnd);
}

void FinishObject(ByteBuffer& object, uint32_t id) {
    PutTag(object, kTagObjectEnd);
    AppendIndexEntry(id, static_cast<uint32_t>(g_output.file.size()), static_cast<uint32_t>(object.size()));
    PutBytes(g_output.file, object);
}

}  // namespace tavorin::lrf
