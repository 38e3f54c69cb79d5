// Shared set-up of the body conversion tests: a fresh run with the built-in
// settings and styles, FB2 bodies converted from a scratch file the way the
// driver does, and read-back views of the text blocks that reached the store.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "support/test_util.h"
#include "text/wide.h"

namespace tavorin::fb2::test {

struct BlockView {
    std::string objid;
    std::string textStyle;
    std::string text;  // the paragraph markup handed to the text builder
    bool operator==(const BlockView&) const = default;
};

inline void PrintTo(const BlockView& block, std::ostream* out) {
    *out << "{" << block.objid << ", " << block.textStyle << ", '" << block.text << "'}";
}

class BodyTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the FB2 text to a file and converts every body in it.
    void ConvertBodies(const std::string& fb2);
    // Opens the reader on the FB2 text without converting anything.
    void OpenReader(const std::string& fb2);
    // Every text block built so far, in order.
    static std::vector<BlockView> TextBlocks();
    // Everything written to the console so far.
    std::string ConsoleText() const;

private:
    tavorin::test::ScratchDir scratch_;
    std::FILE* console_ = nullptr;
};

// UTF-8 view of a wide string, for readable expectations.
inline std::string U8(WStringView text) { return Narrow(text); }

}  // namespace tavorin::fb2::test
