// The object store of the run.
#include "lrf/store/object_store.h"

namespace tavorin::lrf {

ObjectStore g_store;

void ResetStore() { g_store = ObjectStore{}; }

}  // namespace tavorin::lrf
