// Tests of the text routines of the description: character references,
// simple entities and transliteration.
#include <gtest/gtest.h>

#include "fb2/char_refs.h"
#include "fb2/description.h"
#include "fb2/transliterate.h"

namespace tavorin::fb2 {
namespace {

struct TextCase {
    const char16_t* input;
    const char16_t* expected;
};

TEST(DecodeCharRefs, DecodesEveryReferenceAndDeletesInvalidOnes) {
    const TextCase cases[] = {
        {u"&#1025;лка", u"Ёлка"},
        {u"a&#12345;b", u"a\u3039b"},                // five digits, not cut at four
        {u"&#x2014;&#X2014;", u"\u2014\u2014"},      // hexadecimal, either x
        {u"&#xA0;", u"\u00A0"},
        {u"&#128512;", u"\U0001F600"},               // surrogate pair
        {u"&#x1F600;!", u"\U0001F600!"},
        {u"&#65;&#66;C", u"ABC"},
        {u"&#65 x", u"A x"},                         // no ';'
        {u"a&#60;b&#62;c", u"a&lt;b&gt;c"},          // markup characters stay text
        {u"&#38;&#x26;", u"&amp;&amp;"},
        {u"x&#;y", u"xy"},                           // no digits
        {u"x&#x;y", u"xy"},
        {u"x&#abc;y", u"xy"},
        {u"x&#12ab;y", u"xy"},
        {u"x&#1114112;y", u"xy"},                    // above U+10FFFF
        {u"x&#99999999999999999999;y", u"xy"},
        {u"x&#xD800;y", u"xy"},                      // surrogate code point
        {u"x&#0;y", u"xy"},
        {u"&# tail", u" tail"},
        {u"&#150;&#x97;&#133;&#128;&#129;&#x9d;.", u"\u2013\u2014\u2026\u20AC."},  // C1 as Windows-1252
        {u"&amp; &lt; &nbsp;", u"&amp; &lt; &nbsp;"},  // named entities stay
        {u"no references", u"no references"},
        {u"&#", u""},
    };
    for (const TextCase& c : cases) {
        WString text = c.input;
        DecodeCharRefs(text);
        EXPECT_EQ(text, WString(c.expected)) << Narrow(c.input);
    }
}

TEST(DecodeCharRefs, DecodedAmpersandIsNotDecodedAgain) {
    WString text = u"&#38;#65;";
    DecodeCharRefs(text);
    EXPECT_EQ(text, u"&amp;#65;");
    DecodeCharRefs(text);
    EXPECT_EQ(text, u"&amp;#65;");
}

TEST(MarkupAsPlainText, DropsTagsAndShowsEntitiesAsCharacters) {
    const TextCase cases[] = {
        {u"описанию<Sup> <a>[17]</a> </Sup>предлагаемой", u"описанию [17] предлагаемой"},
        {u"&lt;b&gt; &amp;amp; &quot;&apos;&nbsp;&#150;&copy;&#60;", u"<b> &amp; \"'\u00A0\u2013<"},
        {u"A & B; C &", u"A & B; C &"},  // no entity: the characters stay
        {u"cut <Sup", u"cut "},
    };
    for (const TextCase& c : cases) EXPECT_EQ(MarkupAsPlainText(c.input), WString(c.expected)) << Narrow(c.input);
}

TEST(StripSimpleEntities, ResolvesNbspQuotAndAmp) {
    const TextCase cases[] = {
        {u"a&nbsp;b", u"ab"},
        {u"&quot;x&quot;", u"\"x\""},
        {u"R&amp;D", u"R&D"},
        {u"&amp;nbsp;", u"&nbsp;"},  // not rescanned
        {u"&nbspx;y", u"y"},         // the entity runs to the next ';'
        {u"&lt;b&gt;", u"&lt;b&gt;"},
        {u"&nbsp no end", u"&nbsp no end"},
        {u"&&amp;", u"&&"},
    };
    for (const TextCase& c : cases) {
        WString text = c.input;
        StripSimpleEntities(text);
        EXPECT_EQ(text, WString(c.expected)) << Narrow(c.input);
    }
}

TEST(Transliterate, RussianLettersBecomeLatinGroups) {
    const struct {
        const char16_t* input;
        const char* expected;
    } cases[] = {
        {u"Дом", "Dom"},
        {u"Ёжик и ёлка", "Ezhik i elka"},
        {u"Щука, Юля, Ярослав", "Shchuka, Yulya, Yaroslav"},
        {u"Съешь", "Sesh'"},            // hard sign dropped, soft sign an apostrophe
        {u"Й й Ц ч", "Ii ii C ch"},
        {u"αβ Дом", " Dom"},            // no row: dropped
        {u"café", "caf\xC3\xA9"},       // below 256: copied
        {u"\U0001F600x", "x"},
    };
    for (const auto& c : cases) EXPECT_EQ(Transliterate(c.input), c.expected) << Narrow(c.input);
}

}  // namespace
}  // namespace tavorin::fb2
