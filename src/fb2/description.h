// The FB2 description: book metadata, the description page, the book title
// page and the metadata XML handed to the LRF writer.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "fb2/block_content.h"
#include "fb2/whitespace.h"
#include "settings/conversion_settings.h"
#include "text/unicode_reader.h"
#include "text/wide.h"

namespace tavorin::fb2 {

// First and last name of one title-info author (the first piece of each).
struct AuthorName {
    WString FirstName, LastName;
};

struct BookDescription {
    int CurrentInfoBlock = 0;  // 0 title-info, 1 document-info, 2 publish-info, 3 src-title-info
    TextContent DescriptionPage;  // its text as the book writes it (entities undecoded)
    WString BookTitle;
    WString SrcTitle;
    WString AuthorsLine;
    std::vector<AuthorName> Authors;  // one per title-info <author>, in input order
    WString Genre1, Genre2;
    WString SrcGenre;
    TextContent Annotation;           // as the book writes it, its blanks collapsed
    ContentCollapse AnnotationBlanks;  // the collapse of the annotation's blanks, piece by piece
    bool AnnotationStarted = false;    // the description page has its annotation line
    size_t AnnotationShown = 0;        // operations of Annotation on the description page
    WString Language;
    WString PublisherText;
    WString SequenceText;
    WString SeriesTag;
    WString BookId;
    WString Isbn;              // publish-info isbn, for the metadata
    WString CoverImageId;
    bool TranslatorSeen = false, DocAuthorSeen = false, SrcAuthorSeen = false, PublisherSeen = false;
    WString MetaTitle, MetaAuthor, ShortAuthors;
    WString BookInfoXml;
};

enum class DescriptionEnd {
    kClosed,    // read up to its end tag, and finished
    kMissing,   // a body started before any description; the reader stands behind the body's start tag
    kUnclosed,  // the file ended first
};

// Reads the description tag by tag, its blocks and fields found by element
// name whatever their prefix, up to its end tag; then derives the metadata
// strings (in the order and form the settings choose) and composes BookInfoXml.
// A description without a title takes the first body's title, else
// `fallbackTitle`, as DescribeFromBody does.
DescriptionEnd ReadDescription(BookDescription& description, TUnicodeFileReader& reader,
                               const ConversionSettings& settings, WStringView fallbackTitle = {});
// For a book without a description, read just after its first body's start
// tag: the title of that body, else `fallbackTitle` (plain text), is the
// book's title, and the description is finished with it.
void DescribeFromBody(BookDescription& description, TUnicodeFileReader& reader, const ConversionSettings& settings,
                      WStringView fallbackTitle);

}  // namespace tavorin::fb2
