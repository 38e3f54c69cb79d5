// The table of contents: one entry per main-body title, handed to the TOC
// builder after the last body.
#pragma once

#include <string>
#include <vector>

#include "fb2/block_content.h"
#include "settings/conversion_settings.h"
#include "text/wide.h"

namespace tavorin::lrf {
struct ObjectStore;
}

namespace tavorin::fb2 {

struct PageCursor;

struct Contents {
    // One entry per main-body title: the page and block it leads to, and its
    // label as shown.
    struct TocEntry {
        uint32_t page = 0, block = 0;
        WString label;
        bool operator==(const TocEntry&) const = default;
    };
    std::vector<TocEntry> TocEntries;
};

// A title as a one-line contents label, its letters transliterated if asked.
WString TocText(const TextContent& title, bool transliterate = false);
// Appends the entry of a main-body title just emitted, on the cursor's page,
// leading to `block`.
void AddTocEntry(Contents& contents, const PageCursor& cursor, const ConversionSettings& settings, uint32_t block,
                 const TextContent& title);
// Hands every entry to the TOC builder.
void RegisterTocEntries(const Contents& contents, lrf::ObjectStore& store);

}  // namespace tavorin::fb2
