// Tests of base64 decoding: group lengths, skipped characters, both widths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/base64.h"

namespace tavorin {
namespace {

std::vector<uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

TEST(Base64, GroupsAndSkippedCharacters) {
    const struct {
        const char* text;
        std::string_view bytes;
    } cases[] = {
        {"", ""},
        {"TWFu", "Man"},                 // a full group of four
        {"TWE=", "Ma"},                  // three values: two bytes
        {"TQ==", "M"},                   // two values: one byte
        {"TWFuT", "Man"},                // a single leftover value gives nothing
        {"TWFu\r\nTWFu\n", "ManMan"},    // line breaks between groups
        {" T W\tF u ", "Man"},           // blanks inside a group
        {"TW*F!u", "Man"},               // stray characters
        {"TW\xC1" "Fu\xFF", "Man"},      // bytes above 127
        {"TQ==TWFu", "\x4D\x04\xD6\x16"}, // '=' is skipped, not an end mark
        {"/+8=", "\xFF\xEF"},            // the two symbols past the letters and digits
        {"AAAA", std::string_view("\0\0\0", 3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Base64Decode(std::string_view(c.text)), Bytes(c.bytes));
    }
}

TEST(Base64, WideTextSkipsCharactersAbove127) {
    EXPECT_EQ(Base64Decode(WStringView(u"TWFu\r\nTWFu")), Bytes("ManMan"));
    // U+0141 ends in the byte 0x41 ('A'): it must be skipped, not taken as 'A'.
    EXPECT_EQ(Base64Decode(WStringView(u"TW\u0141Fu\u00C1")), Bytes("Man"));
}

}  // namespace
}  // namespace tavorin
