// What an FB2 book should look like after conversion, read straight from the
// FB2 bytes, independently of the converter: the title and first author, the
// images, the cover, the internal links, and the words of the bodies in
// reading order, leaving out what the conversion drops by design (the
// body's own title, tables and unknown elements, text-authors of titles).
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

namespace tavorin::test {

struct Fb2Image {
    std::string id;
    std::string contentType;
    std::vector<uint8_t> data;  // decoded base64
    std::string kind;           // "PNG", "JPEG" or empty
    int width = 0;
    int height = 0;
};

struct Fb2Book {
    std::string declaredEncoding;  // the XML declaration's value, as written
    std::string codec;             // the code page the converter reads the file with
    bool descriptionClosed = false;
    std::string title;             // book-title of title-info, UTF-8, blanks collapsed
    std::string firstAuthorFirstName;
    std::string firstAuthorLastName;
    std::string coverId;
    std::vector<Fb2Image> images;  // every binary element, in file order
    std::vector<std::u32string> bodyWords;
    size_t danglingTargets = 0;    // distinct link targets whose id occurs nowhere in a body
};

// Reads the book from the bytes of an FB2 file (not a zip).
Fb2Book ReadFb2Book(const std::vector<uint8_t>& bytes);

// Images the converter registers: PNG or JPEG data with a positive size.
std::vector<const Fb2Image*> ConvertibleImages(const Fb2Book& book);

// The one file of a zip archive, inflated; empty when the archive does not
// hold exactly one file or cannot be read.
std::vector<uint8_t> ZipSingleMember(const std::vector<uint8_t>& archive);

}  // namespace tavorin::test
