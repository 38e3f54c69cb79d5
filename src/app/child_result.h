// The result file of a batch's child: the child writes its exit code and the
// message it printed for it into a file the batch names, and the batch reads
// it there instead of searching the child's console output.
#pragma once

#include <optional>
#include <string>

namespace tavorin {

// The environment variable through which the batch names the file to a child.
inline constexpr char kResultFileVariable[] = "TAVORIN_RESULT_FILE";

struct ChildResult {
    int exitCode = 0;
    std::string message;  // one line
};

// Writes the code on the first line and the message, its line breaks made
// blanks, on the second. False when the file cannot be written.
bool WriteChildResult(const std::string& path, const ChildResult& result);

// The result in the file; none when the file is missing or not whole (the
// child was killed or crashed before it wrote it).
std::optional<ChildResult> ReadChildResult(const std::string& path);

}  // namespace tavorin
