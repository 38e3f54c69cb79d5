// Latin letters for Cyrillic text (the metadata and contents of books
// converted with transliteration), and the simple entities removed before.
#pragma once

#include <string>

#include "text/wide.h"

namespace tavorin::fb2 {

// Latin transliteration of Cyrillic text, as UTF-8.
std::string Transliterate(WStringView text);
// "&nbsp..;" removed, "&quot..;" to '"', "&amp..;" to '&'.
void StripSimpleEntities(WString& text);

}  // namespace tavorin::fb2
