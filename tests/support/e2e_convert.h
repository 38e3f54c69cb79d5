// Running the converter executable the way the end-to-end tests do: in a
// scratch folder, with the repository's default settings and a private
// temporary folder, and classifying its exit code.
#pragma once

#include <string>
#include <vector>

#include "support/test_util.h"

namespace tavorin::test {

// The exit codes the converter documents: 0 and 1 to 12. Anything else
// (128 and above: killed by a signal) is a crash.
bool IsDocumentedExitCode(int code);

// Converts `input` into `output` with the repository's default settings, in
// `workDir`, with TMPDIR set to `tempDir` (created when missing). A run that
// takes longer than five minutes is stopped (exit code 124).
CommandResult ConvertWithExe(const std::string& input, const std::string& output, const std::string& workDir,
                             const std::string& tempDir);

// Path of the repository's default settings file.
std::string DefaultSettingsPath();

// True when the bytes start like a zip archive.
bool LooksLikeZip(const std::vector<uint8_t>& bytes);

}  // namespace tavorin::test
