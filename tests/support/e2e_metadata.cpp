// Reading the values of a book's metadata XML with libxml2.
#include "support/e2e_metadata.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include "support/e2e_words.h"

namespace tavorin::test {
namespace {

void CollectValues(xmlNode* node, std::vector<std::string>& values) {
    for (; node; node = node->next) {
        if (node->type == XML_TEXT_NODE && node->content) values.emplace_back(reinterpret_cast<char*>(node->content));
        if (node->type != XML_ELEMENT_NODE) continue;
        for (xmlAttr* attribute = node->properties; attribute; attribute = attribute->next) {
            xmlChar* value = xmlNodeGetContent(reinterpret_cast<xmlNode*>(attribute));
            if (value) values.emplace_back(reinterpret_cast<char*>(value));
            xmlFree(value);
        }
        CollectValues(node->children, values);
    }
}

}  // namespace

std::optional<std::vector<std::string>> MetadataValues(const LrfFile& book) {
    const std::u16string text = book.MetadataText();
    std::u32string wide;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        wide += c;
    }
    const std::string utf8 = Utf32ToUtf8(wide);
    xmlDoc* doc = xmlReadMemory(utf8.data(), static_cast<int>(utf8.size()), nullptr, "UTF-8",
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_IGNORE_ENC);
    if (!doc) return std::nullopt;
    std::vector<std::string> values;
    CollectValues(xmlDocGetRootElement(doc), values);
    xmlFreeDoc(doc);
    return values;
}

}  // namespace tavorin::test
