// Running headers and footers: their fixed texts, rule lines and pair
// counters, and the odd and even header and footer objects of a page.
#pragma once

#include "fb2/block_content.h"
#include "fb2/styles.h"
#include "lrf/store/object_store.h"
#include "settings/conversion_settings.h"
#include "text/console.h"
#include "text/wide.h"

namespace tavorin::fb2 {

struct BookDescription;
struct PageCursor;

// The running header and footer of the book (headers_footers.cpp).
struct RunningHeaders {
    // Texts chosen by the header and footer sources (built once before the body).
    WString HeaderText, FooterText;
    bool HeaderFixed = false, FooterFixed = false;
    // Rule lines of the header and footer objects.
    lrf::RuleLine HeaderRuleLine, FooterRuleLine;
    int HeaderCounter = 0;
    int FooterCounter = 0;
    // The odd and even header (footer) records of a pair; a fixed part has one.
    struct Pair {
        uint32_t odd = lrf::kNoRecord, even = lrf::kNoRecord;
    };
    Pair FixedHeader, FixedFooter;
};

void BuildHeaderFooterSources(RunningHeaders& running, const BookDescription& description,
                              const ConversionSettings& settings);

enum RunningPart { kRunningHeader, kRunningFooter };
// The header or footer pair of a titled page: makes the objects and their two
// text blocks unless the part is fixed and its pair exists. Returns the pair
// the page refers to. `cutAtWord` applies the 40-character rule of new pages.
RunningHeaders::Pair MakeRunningPair(RunningHeaders& running, lrf::ObjectStore& store, Console& console,
                                     const ConversionSettings& settings, const StyleValues& styles, RunningPart part,
                                     const TextContent& title, bool cutAtWord);
// The text block content of a header or footer showing `text`.
TextContent RunningPartText(const ConversionSettings& settings, RunningPart part, const TextContent& title,
                            bool cutAtWord);

}  // namespace tavorin::fb2
