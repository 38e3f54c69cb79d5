// The book metadata XML handed to the LRF writer.
#pragma once

#include "text/wide.h"

namespace tavorin::fb2 {

// Values of the metadata XML.
struct BookInfoFields {
    WStringView Title, Author, BookId, Pages, Producer, Creator, Language, FreeText, Category2, Category1,
        Publisher, Isbn;
};
// The metadata XML; every value is escaped, so the text is well formed.
WString ComposeBookInfo(const BookInfoFields& info);

}  // namespace tavorin::fb2
