// The folder for temporary files of a conversion or a batch.
#pragma once

#include <optional>
#include <string>

namespace tavorin {

// The folder as given, else $TMPDIR, else /tmp, else the current folder;
// always ending in '/'. Nothing when that folder does not exist: it is
// refused at once rather than failing later at extraction.
std::optional<std::string> ChooseTempFolder(std::string folder);

}  // namespace tavorin
