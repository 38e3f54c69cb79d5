// UTF-16 helpers: the conversions to and from UTF-8.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "text/terminal_text.h"
#include "text/unicode_reader.h"
#include "text/wide.h"

namespace tavorin {
namespace {

TEST(Wide, WidenAndNarrowRoundTrip) {
    const std::string utf8 = "A\xC3\xA9\xD0\x96\xE2\x82\xAC\xF0\x9F\x98\x80";
    const WString wide = Widen(utf8);
    EXPECT_EQ(wide, u"A\u00E9\u0416\u20AC\U0001F600");
    EXPECT_EQ(Narrow(wide), utf8);
}

TEST(Wide, WidenKeepsInvalidBytesAsLatin1) {
    EXPECT_EQ(Widen("a\xE9z"), u"a\u00E9z");
    EXPECT_EQ(Widen("\xC3"), u"\u00C3");                 // cut short
    EXPECT_EQ(Widen("\xC0\x80"), u"\u00C0\u0080");       // overlong
    EXPECT_EQ(Widen("\xED\xA0\x80"), u"\u00ED\u00A0\u0080");  // surrogate value
    EXPECT_EQ(Widen("\xF4\x90\x80\x80"), u"\u00F4\u0090\u0080\u0080");  // above U+10FFFF
}

TEST(Wide, NarrowReplacesLoneSurrogates) {
    EXPECT_EQ(Narrow(WString{u'a', 0xD800, u'b'}), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(Narrow(WString{0xDC00}), "\xEF\xBF\xBD");
    EXPECT_EQ(Narrow(WString{0xD83D}), "\xEF\xBF\xBD");
}

TEST(TerminalText, ControlCharactersAndInvalidBytesAreEscaped) {
    const std::pair<std::string, std::string> cases[] = {
        {"Привет/книга.fb2", "Привет/книга.fb2"},
        {"a\nConverted 9\r.fb2", "a\\x0AConverted 9\\x0D.fb2"},
        {"\x1B[2J\x7F", "\\x1B[2J\\x7F"},
        {"c1 \xC2\x9B x \xC2\xA0", "c1 \\xC2\\x9B x \xC2\xA0"},  // CSI escaped, no-break space kept
        {"cut \xD0 \xE2\x82", "cut \\xD0 \\xE2\\x82"},
    };
    for (const auto& [text, shown] : cases) EXPECT_EQ(EscapeControls(text), shown) << text;
}

}  // namespace
}  // namespace tavorin
