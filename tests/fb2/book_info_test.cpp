// Tests of the metadata XML: its lines, the book's own ISBN, the date, and
// well-formedness whatever the metadata values hold.
#include <gtest/gtest.h>

#include <ctime>
#include <regex>

#include "fb2/book_info.h"
#include "fb2/description.h"
#include "support/test_util.h"

namespace tavorin::fb2 {
namespace {

BookInfoFields PlainFields() {
    return {
        .Title = u"Night Watch (nw2)",
        .Author = u"Sergei Lukyanenko",
        .BookId = u"LRF-abc",
        .Pages = u"",
        .Producer = u"tavorin",
        .Creator = u"FB2 to LRF converter",
        .Language = u" ru",
        .FreeText = u"A story.",
        .Category2 = u"fantasy",
        .Category1 = u"sf",
        .Publisher = u"",
        .Isbn = u"",
    };
}

std::string TodayIso() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

TEST(ComposeBookInfo, WritesTheLinesInOrderWithCrLf) {
    const std::string xml = Narrow(ComposeBookInfo(PlainFields()));
    const std::string expected =
        "<?xml version=\"1.0\" ?>\r\n"
        "<Info version=\"1.1\">\r\n"
        "<BookInfo>\r\n"
        "<Title reading=\"Night Watch (nw2)\">Night Watch (nw2)</Title>\r\n"
        "<Author reading=\"Sergei Lukyanenko\">Sergei Lukyanenko</Author>\r\n"
        "<BookID>LRF-abc</BookID>\r\n"
        "<Publisher reading=\"\"></Publisher>\r\n"
        "<Label reading=\"\"></Label>\r\n"
        "<Category>sf</Category>\r\n"
        "<Category>fantasy</Category>\r\n"
        "<Classification></Classification>\r\n"
        "<FreeText>A story.</FreeText>\r\n"
        "</BookInfo>\r\n"
        "<DocInfo>\r\n"
        "<Language>ru</Language>\r\n"
        "<Creator>FB2 to LRF converter</Creator>\r\n"
        "<CreationDate>" + TodayIso() + "</CreationDate>\r\n"
        "<Producer>tavorin</Producer>\r\n"
        "<Page></Page>\r\n"
        "</DocInfo>\r\n"
        "</Info>\r\n";
    EXPECT_EQ(xml, expected);
}

TEST(ComposeBookInfo, ProductIdentifierCarriesTheBooksOwnIsbn) {
    BookInfoFields fields = PlainFields();
    fields.Isbn = u"978-5-9614-311x-5";
    const std::string xml = Narrow(ComposeBookInfo(fields));
    EXPECT_NE(xml.find("<BookID>LRF-abc</BookID>\r\n<ProductIdentifier>\r\n"
                       "<ISBNPrintable>978-5-9614-311x-5</ISBNPrintable>\r\n"
                       "<ISBNValue>97859614311X5</ISBNValue>\r\n</ProductIdentifier>\r\n<Publisher"),
              std::string::npos)
        << xml;

    fields.Isbn = u"unknown";  // no digits: nothing to identify the book by
    EXPECT_EQ(Narrow(ComposeBookInfo(fields)).find("ProductIdentifier"), std::string::npos);
}

// Parses the XML with python's minidom and prints the title's reading
// attribute, the title text and the free text, one per line.
test::CommandResult ParseWithMinidom(const WString& xml) {
    test::ScratchDir dir;
    const std::string path = dir.file("info.xml");
    test::WriteFileText(path, Narrow(xml));
    return test::RunCommand(
        "python3 -c \"import sys, xml.dom.minidom as m\n"
        "d = m.parse(sys.argv[1])\n"
        "t = d.getElementsByTagName('Title')[0]\n"
        "f = d.getElementsByTagName('FreeText')[0]\n"
        "sys.stdout.buffer.write((t.getAttribute('reading') + '\\n' + t.firstChild.data + '\\n' + "
        "f.firstChild.data).encode('utf-8'))\" " +
        test::ShellQuote(path));
}

TEST(ComposeBookInfo, HostileValuesGiveWellFormedXml) {
    if (test::RunCommand("python3 -c 'import xml.dom.minidom'").exitCode != 0) GTEST_SKIP() << "no python3";
    // Values are markup: the book's '<' is "&lt;", and every '<' opens a tag.
    const WString title = u"Tom & Jerry &lt;1&gt; <Sup>\"quoted\"</Sup> &amp; &#38; &nbsp;&#1;\u0001\uFFFE\xD800!";
    BookInfoFields fields = PlainFields();
    fields.Title = title;
    fields.Author = u"A&B <script>";
    fields.Category1 = u"<genre>&";
    fields.Category2 = u"]]> \"x\"";
    fields.Language = u" ru\u0008";
    fields.FreeText = u"Line\tone & <Sup> <a>[17]</a> </Sup>two \U0001F600 \xDC00";
    fields.Isbn = u"<978>&5";
    const WString xml = ComposeBookInfo(fields);

    const test::CommandResult parsed = ParseWithMinidom(xml);
    ASSERT_EQ(parsed.exitCode, 0) << parsed.output << "\n" << Narrow(xml);
    // The plain text of the markup comes back: no tag, entities as their
    // characters; a double quote in the reading becomes U+201C; characters XML
    // does not allow are gone.
    EXPECT_EQ(parsed.output,
              "Tom & Jerry <1> \xE2\x80\x9Cquoted\xE2\x80\x9C & & \xC2\xA0!\n"
              "Tom & Jerry <1> \"quoted\" & & \xC2\xA0!\n"
              "Line one & [17] two \xF0\x9F\x98\x80 ");
}

}  // namespace
}  // namespace tavorin::fb2
