// Running calibre's reading tools on a converted book: lrf2lrs (the book as
// LRS text) and ebook-meta (metadata and cover). Only reading is done here.
#pragma once

#include <string>

#include "support/test_util.h"

namespace tavorin::test {

// True when the tool's output shows that it failed inside (a Python
// traceback; ebook-meta exits 0 even then) or found a damaged stream.
bool ToolFailed(const CommandResult& result);

// lrf2lrs --dont-output-resources -o lrsPath lrfPath
CommandResult RunLrf2Lrs(const std::string& lrfPath, const std::string& lrsPath);

struct EbookMeta {
    CommandResult run;
    std::string title;    // the "Title" line's value
    std::string authors;  // the "Author(s)" line's value
};
EbookMeta RunEbookMeta(const std::string& lrfPath);

// ebook-meta --get-cover=coverPath lrfPath
CommandResult RunGetCover(const std::string& lrfPath, const std::string& coverPath);

}  // namespace tavorin::test
