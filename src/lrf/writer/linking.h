// Object ids and label resolution, run once after all builders and before
// the book is written.
#pragma once

#include "lrf/store/object_store.h"
#include "text/console.h"

namespace tavorin::lrf {

// Gives every object its id (from 50 upward); run once, after all builders.
void AssignObjectIds(ObjectStore& store);
// Replaces label references by ids; prints a line for every unresolved one.
void LinkObjects(ObjectStore& store, Console& console);

}  // namespace tavorin::lrf
