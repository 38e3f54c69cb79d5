// Running the converter executable the way the command-line tests need it:
// with the shipped settings file and a chosen folder for temporary files.
#pragma once

#include <string>

#include "support/test_util.h"

namespace tavorin::test {

inline const std::string kShippedSettings = std::string(TAVORIN_SOURCE_DIR) + "/default_styles.sini";

// Converts `input` into `output` with the shipped settings; the temporary
// folder comes through TMPDIR, the way a user sets it.
inline CommandResult ConvertWithTempDir(const std::string& input, const std::string& output,
                                        const std::string& tempFolder) {
    return RunCommand("TMPDIR=" + ShellQuote(tempFolder) + " " + ShellQuote(TAVORIN_EXE) + " -s " +
                      ShellQuote(kShippedSettings) + " -i " + ShellQuote(input) + " -o " + ShellQuote(output));
}

}  // namespace tavorin::test
