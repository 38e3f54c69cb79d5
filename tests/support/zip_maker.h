// Writing small zip archives for tests, with libzip.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tavorin::test {

// Pairs of member name and content; names ending in '/' are folders.
using ZipEntries = std::vector<std::pair<std::string, std::string>>;

// Writes the archive; fails the running test when libzip refuses.
void MakeZip(const std::string& path, const ZipEntries& entries);

}  // namespace tavorin::test
