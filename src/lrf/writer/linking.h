// Object ids and label resolution, run once after all builders and before
// the book is written: after them the store holds every id the writers
// write, and writing only reads it.
#pragma once

#include <cstdint>
#include <vector>

#include "lrf/store/object_store.h"
#include "text/console.h"

namespace tavorin::lrf {

// Gives every object its id (from 50 upward); run once, after all builders.
void AssignObjectIds(ObjectStore& store);
// Replaces label references by ids (also the header and footer slots of
// pages and the child number of each block); prints a line for every
// unresolved one. Run once, after AssignObjectIds.
void LinkObjects(ObjectStore& store, Console& console);

// The record of one kind with this id, or nullptr: AssignObjectIds numbers
// the records of a kind consecutively, so the id gives the position.
template <class Record>
const Record* RecordWithId(const std::vector<Record>& records, uint32_t id) {
    if (records.empty() || id < records.front().id) return nullptr;
    const size_t i = id - records.front().id;
    return i < records.size() ? &records[i] : nullptr;
}

}  // namespace tavorin::lrf
