// Reading one FB2 tag as an XML reader would: the element's name (whatever
// attributes follow it and however they are spaced or quoted), whether it
// starts, ends or is an empty element, and the value of an attribute.
#pragma once

#include "text/wide.h"

namespace tavorin::fb2 {

enum class TagForm { Start, End, Empty };

struct Fb2Tag {
    WStringView name;  // local name: a namespace prefix ("fb:section") is left out
    TagForm form = TagForm::Start;
    bool hasAttributes = false;
};

// `tag` runs from '<' to '>'. A comment, processing instruction or other
// declaration gives an empty name.
Fb2Tag ParseFb2Tag(WStringView tag);

// The value of the attribute whose local name is `name` ("href" finds
// "l:href" and "xlink:href"), quoted with '"' or '\''; empty when absent.
WString Fb2Attribute(WStringView tag, WStringView name);

}  // namespace tavorin::fb2
