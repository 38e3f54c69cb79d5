// Object framing and the object index shared by all object writers.
#include "lrf/writer/writer_output.h"

namespace tavorin::lrf {

void AppendIndexEntry(LrfOutput& out, uint32_t id, uint32_t offset, uint32_t length) {
    PutU32(out.index, id);
    PutU32(out.index, offset);
    PutU32(out.index, length);
    PutU32(out.index, 0);
    ++out.indexEntries;
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

void FinishObject(LrfOutput& out, ByteBuffer& object, uint32_t id) {
    PutTag(object, kTagObjectEnd);
    AppendIndexEntry(out, id, static_cast<uint32_t>(out.offset()), static_cast<uint32_t>(object.size()));
    PrefaultAhead(out.file, out.file.size() + object.size());
    PutBytes(out.file, object);
    if (out.file.size() >= LrfOutput::kSinkPiece) FlushToSink(out);
}

void FlushToSink(LrfOutput& out) {
    if (out.sink == nullptr) return;
    out.sink->Append(out.file);
    out.flushed += out.file.size();
    out.file.clear();  // the capacity stays for the next piece
}

}  // namespace tavorin::lrf
