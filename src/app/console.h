// Console output of the converter: every write goes to one stream and is
// flushed at once, so progress lines appear as they are produced.
#pragma once

#include <cstdio>
#include <string_view>

namespace tavorin {

// Writes the text and flushes. Output goes to stdout unless redirected.
void ConsoleWrite(std::string_view text);

// Writes the text followed by a line end and flushes.
void ConsoleLine(std::string_view text);

// Redirects console output (tests and fuzzers pass a sink such as /dev/null);
// nullptr restores stdout.
void SetConsoleStream(std::FILE* stream);

}  // namespace tavorin
