// A lenient reader of the LRS text that calibre's lrf2lrs prints for an LRF
// book. lrf2lrs does not escape metadata or contents labels and lets control
// characters through, so the text is not always well-formed XML: the reader
// takes the metadata and label texts raw up to their end tag, decodes the
// usual entities, and turns control characters into blanks.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tavorin::test {

struct LrsLink {
    std::string refpage;
    std::string refobj;
    std::string label;  // TocLabel text; empty for jumps
};

struct LrsPage {
    std::string objid;
    std::unordered_set<std::string> objids;  // every object id named inside the page
};

struct LrsBook {
    std::map<std::string, std::string> info;  // BookInfo and DocInfo fields by name; the last counts
    std::vector<LrsPage> pages;                // in document order, every page tree
    std::unordered_map<std::string, size_t> pageIndex;  // objid -> index into pages
    std::vector<LrsLink> toc;
    std::unordered_map<std::string, LrsLink> buttons;  // button objid -> its jump target
    std::vector<std::string> charButtonRefs;           // refobj of every CharButton in the pages
    size_t imageStreams = 0;
    size_t plots = 0;  // Plot elements (images inside a line) in the pages' text
    std::u32string text;  // text of the pages' blocks; paragraphs and lines separated by blanks
    size_t buttonWords = 0;  // words shown inside CharButton elements
    size_t blankRuns = 0;    // runs of two or more blanks (spaces, tabs) in a line of the main pages' text
    std::map<std::string, std::pair<long, long>> pageStyles;  // objid -> textwidth and textheight
    // Image blocks: the page style of their page, the larger of xsize and blockwidth, of ysize and blockheight.
    std::vector<std::pair<std::string, std::pair<long, long>>> imageBlocks;
};

// Parses the LRS text; false with a reason when its structure cannot be read
// (an element left open, an end tag without start).
bool ParseLrs(std::string_view lrs, LrsBook& book, std::string& error);

// True when `objid` is named inside the page `pageObjid`.
bool PageHolds(const LrsBook& book, const std::string& pageObjid, const std::string& objid);

}  // namespace tavorin::test
