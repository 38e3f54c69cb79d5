// Label lookups for linking and writing: a hash map from a label to the first
// record that carries it, so every reference resolves in constant time with
// the same result as a scan from the first record.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tavorin::lrf {

// Label -> index of the first record with that label. The views point into
// the records, which must outlive the index and keep their labels unchanged.
using LabelIndex = std::unordered_map<std::string_view, size_t>;

template <class Record>
LabelIndex IndexByLabel(const std::vector<Record>& records, std::string Record::*label) {
    LabelIndex index;
    index.reserve(records.size());
    for (size_t i = 0; i < records.size(); ++i) index.try_emplace(records[i].*label, i);
    return index;
}

// Index of the first record labelled `label`, or nullptr. An empty label (a
// missing attribute) matches nothing.
inline const size_t* FindLabel(const LabelIndex& index, std::string_view label) {
    if (label.empty()) return nullptr;
    const auto it = index.find(label);
    return it == index.end() ? nullptr : &it->second;
}

}  // namespace tavorin::lrf
