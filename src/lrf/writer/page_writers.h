// The structure of the book: the writers of pages, the table of contents,
// the page trees and the book attributes, run by WriteLrfFile in the order
// declared here.
#pragma once

#include <cstdint>

#include "lrf/store/object_store.h"
#include "lrf/writer/writer_output.h"

namespace tavorin::lrf {

// Pages from the Solo element on each get a page tree of their own; 0 when
// the book has no Solo element.
uint32_t SoloPageCount(const ObjectStore& s);

// Entries of the table of contents that readers count (16 bits).
inline constexpr size_t kMaxTocEntries = 0xFFFF;

void WritePages(const ObjectStore& s, LrfOutput& out);
void WriteTocObject(const ObjectStore& s, LrfOutput& out);
void WriteMainPageTree(const ObjectStore& s, LrfOutput& out);
void WriteSoloPageTrees(const ObjectStore& s, LrfOutput& out);
void WriteBookAttributes(const ObjectStore& s, LrfOutput& out);

}  // namespace tavorin::lrf
