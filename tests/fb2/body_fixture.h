// Shared set-up of the fb2 tests: a conversion of their own with the built-in
// settings and a console that keeps what is printed; for the body tests also
// the styles, FB2 bodies converted from a scratch file the way the document
// pass does, and read-back views of the text blocks that reached the store.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "fb2/conversion.h"
#include "support/test_util.h"
#include "text/wide.h"

namespace tavorin::fb2::test {

struct BlockView {
    std::string name;  // "b#" and the FB2 id of the block, or "b" and its number
    std::string textStyle;
    std::string text;  // the paragraph markup handed to the text builder
    bool operator==(const BlockView&) const = default;
};

inline void PrintTo(const BlockView& block, std::ostream* out) {
    *out << "{" << block.name << ", " << block.textStyle << ", '" << block.text << "'}";
}

class ConversionTest : public ::testing::Test {
protected:
    // A new conversion with an empty store that keeps the settings and the reader.
    // The styles are defined again if they were.
    void StartOver() {
        store = {};
        console = Console{printed};
        conversion_.emplace(settings, store, console, reader.get());
        if (stylesDefined_) DefineBookStyles();
    }
    // Completes the style table and builds the styles, as a book does first.
    void DefineBookStyles();
    // How tests name block `block`: "b#" and the FB2 id it is the first block
    // of, or "b" and its number.
    std::string BlockName(uint32_t block) const;
    // Where button `button` leads, named as BlockName names blocks: as aimed
    // so far, or once settled (after ResolveAnchors); "" for nowhere.
    std::string Aim(size_t button) const;
    std::string Target(size_t button) const;

    StringSink printed;
    ConversionSettings settings = BuiltInSettings();
    lrf::ObjectStore store;
    Console console{printed};
    std::unique_ptr<TUnicodeFileReader> reader;

private:
    std::optional<Conversion> conversion_{std::in_place, settings, store, console};
    bool stylesDefined_ = false;

protected:
    Conversion& cv = *conversion_;
};

class BodyTest : public ConversionTest {
protected:
    void SetUp() override { DefineBookStyles(); }

    // Writes the FB2 text to a file and converts every body in it.
    void ConvertBodies(const std::string& fb2);
    // Opens the reader on the FB2 text without converting anything.
    void OpenReader(const std::string& fb2);
    // Every text block built so far, in order.
    std::vector<BlockView> TextBlocks() const;

private:
    tavorin::test::ScratchDir scratch_;
};

// UTF-8 view of a wide string, for readable expectations.
inline std::string U8(WStringView text) { return Narrow(text); }

// A content written in the notation of support/content_notation.h, its text
// as the book writes it (entities and references undecoded) or decoded.
TextContent Markup(WStringView notation, bool decoded = false);
// The notation of a content; buttons named by their labels in `store`.
std::string Notation(const TextContent& content, const lrf::ObjectStore* store = nullptr);

}  // namespace tavorin::fb2::test
