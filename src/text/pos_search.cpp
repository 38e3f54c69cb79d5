// 1-based forward and backward searches in UTF-16 text, part of the text
// reader's toolkit (the markup code itself works with std::u16string searches).
#include "text/unicode_reader.h"

namespace tavorin {

// An empty searched text is never found, so callers that step past a match
// by its length cannot loop in place.
size_t PosFrom(WStringView searched, WStringView text, int64_t start) {
    if (searched.empty() || start < 1 || static_cast<uint64_t>(start) > text.size()) return 0;
    const size_t at = text.find(searched, static_cast<size_t>(start - 1));
    return at == WStringView::npos ? 0 : at + 1;
}

size_t PosBackFrom(WStringView searched, WStringView text, int64_t start) {
    if (searched.empty() || start < 1 || static_cast<uint64_t>(start) > text.size()) return 0;
    const size_t at = text.rfind(searched, static_cast<size_t>(start - 1));
    return at == WStringView::npos ? 0 : at + 1;
}

}  // namespace tavorin
