// The metadata XML of an LRF book read back with libxml2: what a reader's
// library shows of the book.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "support/lrf_check.h"

namespace tavorin::test {

// Every text and attribute value of the metadata XML, UTF-8; nothing when the
// XML is not well formed.
std::optional<std::vector<std::string>> MetadataValues(const LrfFile& book);

}  // namespace tavorin::test
