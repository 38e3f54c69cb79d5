// The LRF file writer: the linked book written to disk in one piece.
#pragma once

#include <string>

#include "lrf/store/object_store.h"
#include "text/console.h"
#include "text/exit_codes.h"

namespace tavorin::lrf {

// Writes the whole book to `outputPath` atomically, advancing the progress
// line; a thumbnail named in the store is read beside `inputPath`. A file
// that cannot be saved is kExitCannotWriteOutput with its path, a named
// thumbnail that cannot be read kExitReadError, a book past a field of the
// format kExitBookTooLarge (no file is then written). Writing consumes the
// store: pages, blocks, text blocks, their text and the contents entries
// are released as soon as they are written.
Status WriteLrfFile(ObjectStore& store, Console& console, const std::string& outputPath, const std::string& inputPath);

}  // namespace tavorin::lrf
