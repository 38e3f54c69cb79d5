// Tests of the description handlers on whole FB2 descriptions read the way
// the document pass reads them, and of the metadata strings derived at their end.
#include <gtest/gtest.h>

#include <memory>

#include "body_fixture.h"
#include "fb2/char_refs.h"
#include "fb2/description.h"
#include "lrf/store/object_store.h"
#include "settings/conversion_settings.h"
#include "support/test_util.h"
#include "text/codecs.h"
#include "text/unicode_reader.h"

namespace tavorin::fb2 {
namespace {

// Feeds the description of an FB2 text to the handlers, tag by tag, as the
// document pass does.
void ReadDescription(Conversion& cv, const std::string& fb2) {
    tavorin::test::ScratchDir dir;
    const std::string path = dir.file("book.fb2");
    tavorin::test::WriteFileText(path, fb2);
    TUnicodeFileReader reader(path, std::make_unique<TUTF8Codec>());
    ReadDescription(cv.description, reader, cv.settings);
}

std::string Book(const std::string& titleInfo, const std::string& rest = "") {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<FictionBook xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\" "
           "xmlns:l=\"http://www.w3.org/1999/xlink\">\n<description>\n<title-info>\n" +
           titleInfo + "\n</title-info>\n" + rest + "</description>\n<body><section><p>x</p></section></body>\n" +
           "</FictionBook>\n";
}

class DescriptionTest : public test::ConversionTest {
protected:
    const BookDescription& d = cv.description;
    // The page as shown: its entities decoded.
    std::string Page() const {
        TextContent page = d.DescriptionPage;
        DecodeContentText(page);
        return test::Notation(page);
    }
};

// Modelled on a real book with every kind of description element.
const std::string kFullBook = Book(
    R"(<genre>sf</genre>
<genre match="10">detective</genre>
<genre>nonfiction</genre>
<author>
  <first-name xml:lang="ru">Ivan</first-name>
  <middle-name>Ivanovich</middle-name>
  <last-name>Petrov</last-name>
  <id>7dc6a193</id>
</author>
<author>
  <nickname>Bob</nickname>
  <email>bob@example.com</email>
</author>
<author><first-name>Anna</first-name><last-name>Smith</last-name></author>
<book-title>Night &#38; Day</book-title>
<annotation id="a1">
  <p>First <emphasis>great</emphasis> book.</p>
  <p id="p2">Second.</p>
</annotation>
<date value="2001-01-01">2001</date>
<coverpage><image l:href="#cover.jpg"/></coverpage>
<lang>ru</lang>
<src-lang>en</src-lang>
<translator><first-name>Alex</first-name><nickname>alfa</nickname><last-name>Orlov</last-name></translator>
<sequence name="Night Watch" number="2">
  <sequence name="Inner" number="5"/>
</sequence>
<sequence name="Other" number="7"/>)",
    R"(<src-title-info>
<author><first-name>Sergei</first-name><last-name>Lukyanenko</last-name><nickname>SL</nickname></author>
<book-title>Nochnoi</book-title>
<genre>sf</genre>
</src-title-info>
<document-info>
<author><nickname>On84ly</nickname><email>on@example.com</email></author>
<program-used>FictionBook Editor 2.6</program-used>
<date value="2014-06-11">11 June 2014</date>
<id>abc-123</id>
<version>1.0</version>
<history><p>v 1.0 created</p></history>
</document-info>
<publish-info>
<book-name>Night Watch, the book</book-name>
<publisher>Alpina</publisher>
<city>Moscow</city>
<year>2013</year>
<isbn xml:lang="en">978-5-9614-3115-5</isbn>
</publish-info>
<custom-info info-type="x">some
text</custom-info>
)");

TEST_F(DescriptionTest, CollectsTheMetadataOfARealDescription) {
    ReadDescription(cv, kFullBook);
    EXPECT_EQ(d.AuthorsLine, u"Ivan Petrov (Bob), Anna Smith");
    ASSERT_EQ(d.Authors.size(), 3u);
    EXPECT_EQ(d.BookTitle, u"Night &amp; Day");
    EXPECT_EQ(d.SrcTitle, u" Nochnoi");
    EXPECT_EQ(d.Genre1, u"sf");
    EXPECT_EQ(d.Genre2, u"detective");
    EXPECT_EQ(d.Language, u" ru");
    EXPECT_EQ(d.CoverImageId, u"cover.jpg");
    EXPECT_EQ(d.SequenceText, u"Night Watch 2");
    EXPECT_EQ(d.SeriesTag, u"(nw2)");
    EXPECT_EQ(d.BookId, u"LRF-abc-123");
    EXPECT_EQ(d.Isbn, u"978-5-9614-3115-5");
    EXPECT_EQ(d.PublisherText, u"Alpina");
    EXPECT_EQ(test::Notation(d.Annotation), "<P>First <Italic>great</Italic> book.</P><CR/><P>Second.</P><CR/>");
    EXPECT_EQ(d.MetaTitle, u"Night &amp; Day (nw2)");
    EXPECT_EQ(d.MetaAuthor, u"Ivan Petrov,  (Bob), Anna Smith");
    EXPECT_EQ(d.ShortAuthors, u"I. Petrov,  (Bob), A. Smith");

    const std::string xml = Narrow(d.BookInfoXml);
    EXPECT_NE(xml.find("<Title reading=\"Night &amp; Day (nw2)\">Night &amp; Day (nw2)</Title>\r\n"
                       "<Author reading=\"Ivan Petrov, (Bob), Anna Smith\">Ivan Petrov, (Bob), Anna Smith</Author>\r\n"
                       "<BookID>LRF-abc-123</BookID>\r\n<ProductIdentifier>\r\n"
                       "<ISBNPrintable>978-5-9614-3115-5</ISBNPrintable>"),
              std::string::npos)
        << xml;
    EXPECT_NE(xml.find("<Category>sf</Category>\r\n<Category>detective</Category>"), std::string::npos);
    EXPECT_NE(xml.find("<FreeText>First great book.</FreeText>"), std::string::npos);
}

TEST_F(DescriptionTest, WritesEveryRecognisedFieldOnTheDescriptionPage) {
    ReadDescription(cv, kFullBook);
    const std::string expected =
        "</P><CR/><CR/><P><Bold>          TITLE INFO</Bold><CR/>"
        "</P><CR/><P><Bold>Genre: </Bold>sf, detective"
        "</P><CR/><P><Bold>Authors: </Bold>Ivan Petrov (Bob), Anna Smith"
        "</P><CR/><P><Bold>Title: </Bold>Night &amp; Day"
        "</P><CR/><P><Bold>Annotation: </Bold></P><CR/><P><P>First <Italic>great</Italic> book.</P><CR/>"
        "<P>Second.</P><CR/>"
        "</P><CR/><P><Bold>Date : </Bold>2001"
        "</P><CR/><P><Bold>Language: </Bold>ru"
        "</P><CR/><P><Bold>Src Language: </Bold>en"
        "</P><CR/><P><Bold>Translator: </Bold>Alex Orlov"
        "</P><CR/><P><Bold>Sequence: </Bold>Night Watch 2"
        "</P><CR/><P><Bold>Sequence: </Bold>Night Watch 2"
        "</P><CR/><P><Bold>Sequence: </Bold>Night Watch 2"
        "</P><CR/><CR/><P><Bold>          SOURCE TITLE INFO</Bold><CR/>"
        "</P><CR/><P><Bold>Author: </Bold>Sergei Lukyanenko</P><CR/><P><Bold>     nickname: </Bold>SL"
        "</P><CR/><P><Bold>Title: </Bold>Nochnoi"
        "</P><CR/><P><Bold>Genre: </Bold>sf"
        "</P><CR/><CR/><P><Bold>          DOCUMENT INFO</Bold><CR/>"
        "</P><CR/><P><Bold>DocAuthor: </Bold></P><CR/><P><Bold>     nickname: </Bold>On84ly"
        "</P><CR/><P><Bold>     email: </Bold>on@example.com"
        "</P><CR/><P><Bold>Program-used: </Bold>FictionBook Editor 2.6"
        "</P><CR/><P><Bold>Date : </Bold>11 June 2014"
        "</P><CR/><P><Bold>Id: </Bold>abc-123"
        "</P><CR/><P><Bold>Version: </Bold>1.0"
        "</P><CR/><P><Bold>History: </Bold>v 1.0 created"
        "</P><CR/><CR/><P><Bold>          PUBLISH INFO</Bold><CR/>"
        "</P><CR/><P><Bold>Book-name: </Bold>Night Watch, the book"
        "</P><CR/><P><Bold>Publisher: </Bold>Alpina"
        "</P><CR/><P><Bold>City: </Bold>Moscow"
        "</P><CR/><P><Bold>Year: </Bold>2013"
        "</P><CR/><P><Bold>Isbn: </Bold>978-5-9614-3115-5"
        "</P><CR/><P><Bold>Custom-info : </Bold>some text";
    EXPECT_EQ(Page(), expected);
}

TEST_F(DescriptionTest, OrderAndInitialsSettingsShapeTitleAndAuthor) {
    const struct {
        int titleOrder, authorOrder, initials;
        const char16_t* title;
        const char16_t* author;
    } cases[] = {
        {0, 0, 0, u"Night &amp; Day (nw2)", u"Ivan Petrov,  (Bob), Anna Smith"},
        {1, 0, 0, u"(nw2) Night &amp; Day", u"Ivan Petrov,  (Bob), Anna Smith"},
        {0, 1, 0, u"Night &amp; Day (nw2)", u"Petrov Ivan, (Bob) , Smith Anna"},
        {0, 1, 1, u"Night &amp; Day (nw2)", u"Petrov I., (Bob) , Smith A."},
        {0, 0, 1, u"Night &amp; Day (nw2)", u"I. Petrov,  (Bob), A. Smith"},
    };
    for (const auto& c : cases) {
        StartOver();
        settings.Order = {c.titleOrder, c.authorOrder, static_cast<uint8_t>(c.initials)};
        ReadDescription(cv, kFullBook);
        EXPECT_EQ(d.MetaTitle, c.title) << c.titleOrder << c.authorOrder << c.initials;
        EXPECT_EQ(d.MetaAuthor, c.author) << c.titleOrder << c.authorOrder << c.initials;
        EXPECT_EQ(d.ShortAuthors, u"I. Petrov,  (Bob), A. Smith");
    }
}

TEST_F(DescriptionTest, TransliterationAppliesToTitleAndAuthor) {
    settings.General.Translit = 1;
    ReadDescription(cv, Book(
        "<author><first-name>Фёдор</first-name><last-name>Достоевский</last-name></author>"
        "<book-title>&#1025;лка и α Дом</book-title>"));
    EXPECT_EQ(d.BookTitle, u"Ёлка и α Дом");
    EXPECT_EQ(d.MetaTitle, u"Elka i  Dom");  // a letter without a Latin group is dropped
    EXPECT_EQ(d.MetaAuthor, u"Fedor Dostoevskiii");
    EXPECT_EQ(d.ShortAuthors, u"Ф. Достоевский");
}

TEST_F(DescriptionTest, NicknameOnlyAuthorStandsInForTheLastName) {
    ReadDescription(cv, Book("<author><nickname>Bob</nickname></author>"));
    EXPECT_NE(Page().find("<Bold>Authors: </Bold> (Bob)"), std::string::npos) << Page();
    EXPECT_EQ(d.MetaAuthor, u"(Bob)");
}

// An editor's indentation inside the values is XML whitespace: one blank.
TEST_F(DescriptionTest, IndentedValuesShowAsAReaderShowsThem) {
    ReadDescription(cv, Book("<author>\n  <first-name>\n    Lev\n  </first-name>\n  <last-name>Tolstoy  </last-name>\n"
                             "</author>\n<book-title>\n  Anna\n  Karenina\n</book-title>\n<annotation>\n  <p>\n"
                             "    A   novel\n    about <emphasis>  love</emphasis>\n  </p>\n<p>see <sup> [1] </sup> now</p>\n</annotation>"));
    EXPECT_NE(Page().find("<Bold>Authors: </Bold>Lev Tolstoy</P>"), std::string::npos) << Page();
    EXPECT_NE(Page().find("<Bold>Title: </Bold>Anna Karenina</P>"), std::string::npos) << Page();
    EXPECT_NE(Page().find("<P>A novel about <Italic>love</Italic></P>"), std::string::npos) << Page();
    EXPECT_NE(Page().find("<P>see <Sup>[1] </Sup>now</P>"), std::string::npos) << Page();
    EXPECT_EQ(d.MetaAuthor, u"Lev Tolstoy");
}

TEST_F(DescriptionTest, MissingValuesLeaveEmptyMetadata) {
    settings.Order.TitleOrder = 1;
    ReadDescription(cv, Book("<book-title>Alone</book-title>"));
    EXPECT_EQ(Page().find("Authors: "), std::string::npos);
    EXPECT_EQ(d.MetaTitle, u"Alone");  // no series tag before it
    EXPECT_EQ(d.BookId, u"no FB2 Id found");
    const std::string xml = Narrow(d.BookInfoXml);
    EXPECT_NE(xml.find("<Author reading=\"\"></Author>"), std::string::npos);
    EXPECT_EQ(xml.find("ProductIdentifier"), std::string::npos);
}

TEST_F(DescriptionTest, SeriesTagTakesTheFirstLetterOfEachWord) {
    const struct {
        const char* name;
        const char16_t* tag;
    } cases[] = {
        {"Night Watch", u"(nw2)"},
        {"Ночной   Дозор", u"(нд2)"},
        {"Rock &amp; Roll", u"(r&r2)"},
        {"One&nbsp; Two", u"(ot2)"},
        {"a &quot;big deal&quot;", u"(a\"big d2)"},
        {"Ab c", u"(a2)"},  // the last character is never taken as a word start
    };
    for (const auto& c : cases) {
        StartOver();
        ReadDescription(cv, Book(std::string("<sequence name=\"") + c.name + "\" number=\"2\"/>"));
        EXPECT_EQ(d.SeriesTag, c.tag) << c.name;
    }
}

TEST_F(DescriptionTest, EveryPublisherPieceOutsideTitleInfoIsLabelled) {
    ReadDescription(cv, Book("<book-title>T</book-title>",
                         "<document-info>\n<publisher>\n  <first-name>Lit</first-name>\n"
                         "  <last-name>Agent</last-name>\n</publisher>\n</document-info>\n"));
    EXPECT_TRUE(EndsWith(Widen(Page()),
                         u"          DOCUMENT INFO</Bold><CR/></P><CR/><P><Bold>Publisher: </Bold>Lit"
                         u"</P><CR/><P><Bold>Publisher: </Bold>Agent"))
        << Page();
    EXPECT_EQ(d.PublisherText, u"LitAgent");
}

}  // namespace
}  // namespace tavorin::fb2
