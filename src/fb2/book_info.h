// The book metadata XML handed to the LRF writer.
#pragma once

#include "text/wide.h"

namespace tavorin::fb2 {

// Values of the metadata XML, as the book writes text (its own '<' and '&'
// written "&lt;" and "&amp;").
struct BookInfoFields {
    WStringView Title, Author, BookId, Pages, Producer, Creator, Language, FreeText, Category2, Category1,
        Publisher, Isbn;
};
// The metadata XML; every value is written as its plain text, escaped, so the
// text is well formed and shows no markup.
WString ComposeBookInfo(const BookInfoFields& info);

}  // namespace tavorin::fb2
