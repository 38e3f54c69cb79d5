// The LRF file writer: the linked book written to disk in one piece.
#pragma once

#include <string>

#include "lrf/store/object_store.h"
#include "text/console.h"
#include "text/exit_codes.h"

namespace tavorin::lrf {

// Writes the whole book of the linked store to `outputPath` atomically,
// advancing the progress line; a thumbnail named in the store is read beside
// `inputPath`. A file that cannot be saved is kExitCannotWriteOutput with its
// path, a named thumbnail that cannot be read kExitReadError, a book past a
// field of the format kExitBookTooLarge (no file is then written). Writing
// only reads the store, so the same store always gives the same bytes; the
// objects go to disk as they are written, so the store and the file do not
// stand in memory side by side.
Status WriteLrfFile(const ObjectStore& store, Console& console, const std::string& outputPath,
                    const std::string& inputPath);

}  // namespace tavorin::lrf
