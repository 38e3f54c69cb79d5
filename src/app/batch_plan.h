// The books of a batch: finding them (a folder walked recursively, with the
// many-book zips in it looked into, or the members of a many-book zip
// archive), where each one's LRF goes, and which of them are refused,
// unreadable, collide on one output path or are already up to date.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "app/batch_options.h"

namespace tavorin {

// What became of a book.
enum class BookResult {
    kPending,      // to be converted in this run
    kConverted,
    kFailed,       // the child ended with an error code, by a signal or after the time limit
    kUpToDate,     // its LRF exists and is newer than the book
    kNotABook,     // not an FB2 file by its name (or a symbolic link, not followed)
    kRefused,      // an archive member whose name leads outside the output folder
    kCollision,    // another book of the batch would land on the same output path
    kInterrupted,  // the batch was stopped before the book was done
    kUnreadable,   // a folder or file of the library that cannot be read
};

struct ResultRow {
    BookResult result;
    std::string_view word;  // the word in the report
    bool countsAsFailure; // makes the batch end with code 13
};

inline constexpr ResultRow kResultTable[] = {
    {BookResult::kPending, "pending", false},     {BookResult::kConverted, "converted", false},
    {BookResult::kFailed, "failed", true},        {BookResult::kUpToDate, "up to date", false},
    {BookResult::kNotABook, "not a book", false}, {BookResult::kRefused, "refused", true},
    {BookResult::kCollision, "collision", true},  {BookResult::kInterrupted, "interrupted", false},
    {BookResult::kUnreadable, "unreadable", true},
};

// The table is indexed by the result: its rows follow the enumeration.
constexpr bool ResultTableFollowsEnum() {
    for (size_t i = 0; i < std::size(kResultTable); ++i) {
        if (static_cast<size_t>(kResultTable[i].result) != i) return false;
    }
    return true;
}
static_assert(ResultTableFollowsEnum());

inline const ResultRow& ResultInfo(BookResult result) { return kResultTable[static_cast<size_t>(result)]; }

struct BatchBook {
    std::string shownPath;     // relative to the library folder (a member of a zip in it: the zip's path, '/',
                               // the member name), or the member name
    std::string inputPath;     // the book's file, or the archive that holds it
    int64_t memberIndex = -1;  // entry index in that archive; -1 when the file is the book
    std::string relativeOutput;  // the LRF's path inside the output folder
    uint64_t inputBytes = 0;
    uint64_t outputBytes = 0;
    int64_t milliseconds = 0;
    int exitCode = 0;          // of the child; 128 + signal number when a signal ended it
    std::string message;       // the converter's "Error..." line, or why the book was not converted
    BookResult result = BookResult::kPending;
};

struct BatchPlan {
    std::vector<BatchBook> books;  // sorted by shownPath: the report's order
};

// True for a name ending in ".fb2" (any case); for archive members.
bool IsFb2Name(std::string_view name);

// Fills the plan from the library folder or the many-book archive. Returns
// an empty string, or the message when the input cannot be read at all.
std::string PlanBooks(const BatchOptions& options, BatchPlan& plan);

// True when a zip at the path holds more than one member named as an FB2 file.
bool HoldsSeveralBooks(const std::string& path);

// Marks as collisions every book whose output path another book shares (in
// any case: a reader's FAT card does not tell them apart), and as up to date
// (unless `force`) every pending book whose output is a whole LRF newer than
// the book.
void ResolveOutputs(const BatchOptions& options, BatchPlan& plan);

}  // namespace tavorin
