// What an FB2 book should look like after conversion, read with libxml2,
// independently of the converter: the title and first author, the images,
// the cover, the words of every body in reading order, the titled sections
// the table of contents must list, and the internal links that must jump.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavorin::test {

struct Fb2Image {
    std::string id;
    std::string contentType;
    std::vector<uint8_t> data;  // decoded base64
    std::string kind;           // "PNG", "JPEG", "GIF", "BMP" or empty
    int width = 0;
    int height = 0;
};

// The look of a word, from the elements any of its characters stand in: a link to an id the book holds; in
// notes or comments, in an element a link leads to (the way back), in a text-author line or a poem's date.
enum WordMark : uint8_t { kMarkSup = 1, kMarkSub = 2, kMarkEmphasis = 4, kMarkStrong = 8, kMarkLink = 16,
                          kMarkInNotes = 32, kMarkTarget = 64, kMarkAuthor = 128 };

struct Fb2Book {
    bool hasDescription = false, hasBody = false;
    bool descriptionClosed = false;
    std::string title;             // book-title of title-info, UTF-8, blanks collapsed
    std::string firstAuthorFirstName;
    std::string firstAuthorLastName;
    std::string coverId;
    std::vector<Fb2Image> images;  // every binary element, in file order
    std::vector<std::u32string> bodyWords;
    std::vector<uint8_t> bodyWordMarks;  // WordMark bits of each body word
    std::vector<std::vector<std::u32string>> sectionTitles;  // words of each titled main-body section
    size_t resolvableLinks = 0;    // <a> elements whose "#id" names an element of a body
    // Word ranges [first, end) of bodyWords that a page shows as one piece: the verse lines of each stanza, and
    // each run of paragraphs (with text-author lines) of a cite or an epigraph.
    struct Piece {
        size_t first = 0, end = 0;
        bool stanza = false;
    };
    std::vector<Piece> wholePieces;
    // Each link to an id of a body: the words it shows and the first words of the element it names.
    struct Link {
        std::vector<std::u32string> text, target;
    };
    std::vector<Link> links;
    // Ids named by the images that stand inside a line (a p, v, td, th, subtitle, text-author or title), in order.
    std::vector<std::string> inlineImages;
};

// Reads the book from the bytes of an FB2 file (not a zip).
Fb2Book ReadFb2Book(const std::vector<uint8_t>& bytes);

// Images a book carries: PNG, JPEG, GIF or BMP data with a positive size.
std::vector<const Fb2Image*> ConvertibleImages(const Fb2Book& book);

// The one file of a zip archive, inflated; empty when the archive does not
// hold exactly one file or cannot be read.
std::vector<uint8_t> ZipSingleMember(const std::vector<uint8_t>& archive);

}  // namespace tavorin::test
