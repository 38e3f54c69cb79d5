// Reading an FB2 file with libxml2 (recover mode, so that damaged books still
// give their text) for what its converted book must hold: the words of every
// body in document order, by what the FB2 means rather than by the
// converter's element rules, less the short list of deliberate omissions in
// LeftOut; the titled sections of the main bodies; the internal links; the
// metadata, images and cover that the other checks compare.
#include "support/e2e_fb2_book.h"

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <iconv.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "support/e2e_words.h"

namespace tavorin::test {
namespace {

using Node = const xmlNode*;

// A book in UTF-16, as libxml2 tells it from its first bytes, in UTF-8.
std::vector<uint8_t> InUtf8(const std::vector<uint8_t>& bytes, bool& converted) {
    const xmlCharEncoding detected = xmlDetectCharEncoding(bytes.data(), std::min<int>(4, static_cast<int>(bytes.size())));
    converted = detected == XML_CHAR_ENCODING_UTF16LE || detected == XML_CHAR_ENCODING_UTF16BE;
    if (!converted) return bytes;
    const iconv_t cd = iconv_open("UTF-8", detected == XML_CHAR_ENCODING_UTF16LE ? "UTF-16LE" : "UTF-16BE");
    std::vector<uint8_t> out(bytes.size() * 2);
    char* in = const_cast<char*>(reinterpret_cast<const char*>(bytes.data()));
    char* to = reinterpret_cast<char*>(out.data());
    size_t inLeft = bytes.size(), outLeft = out.size();
    iconv(cd, &in, &inLeft, &to, &outLeft);
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

// In recover mode libxml2 drops every named reference after the first
// well-formedness error, "&amp;" included, which would glue words together,
// while numeric references always come through. So the five XML entities
// become numeric references, any other name (HTML names such as "&nbsp;",
// placeholders such as "&FBReaderVersion;") a blank, as no book defines
// them, and an '&' that starts no reference ("GPS&Palm") stands for itself.
// '&', ';' and ASCII letters are single bytes in every code page read here.
std::string WithNumericReferences(const std::vector<uint8_t>& bytes) {
    static const std::pair<std::string_view, std::string_view> kXml[] = {
        {"amp", "&#38;"}, {"lt", "&#60;"}, {"gt", "&#62;"}, {"quot", "&#34;"}, {"apos", "&#39;"}};
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '&' || (i + 1 < bytes.size() && bytes[i + 1] == '#')) {
            out += static_cast<char>(bytes[i]);
            continue;
        }
        size_t end = i + 1;
        while (end < bytes.size() && end - i < 40 && (std::isalnum(bytes[end]) || std::strchr("_-.:", bytes[end])))
            ++end;
        if (end == i + 1 || end == bytes.size() || bytes[end] != ';') {
            out += "&#38;";
            continue;
        }
        const std::string_view name(reinterpret_cast<const char*>(&bytes[i + 1]), end - i - 1);
        std::string_view replacement = "&#32;";
        for (const auto& [entity, numeric] : kXml)
            if (name == entity) replacement = numeric;
        out += replacement;
        i = end;
    }
    return out;
}

// Text that reads as an HTML entity ("&eacute;", written "&amp;eacute;" in
// the FB2) is shown by calibre's lrf2lrs as its character, so it is
// expected as that character.
std::u32string AsCalibreShows(std::u32string text) {
    for (size_t at = text.find(U'&'); at != std::u32string::npos; at = text.find(U'&', at + 1)) {
        const size_t semi = text.find(U';', at);
        if (semi == std::u32string::npos || semi - at > 10) continue;
        const std::string name = Utf32ToUtf8(std::u32string_view(text).substr(at + 1, semi - at - 1));
        if (const htmlEntityDesc* entity = htmlEntityLookup(reinterpret_cast<const xmlChar*>(name.c_str())))
            text.replace(at, semi - at + 1, 1, static_cast<char32_t>(entity->value));
    }
    return text;
}

bool Is(Node node, std::string_view name) {
    return node && node->type == XML_ELEMENT_NODE && name == reinterpret_cast<const char*>(node->name);
}

std::string Content(Node node) {
    xmlChar* value = xmlNodeGetContent(node);
    std::string text = value ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return text;
}

// An attribute by its local name, any namespace; under an unbound prefix
// ("l:href" in a book without xmlns:l) libxml2 keeps the prefix in the name.
std::string Attribute(Node node, std::string_view name) {
    for (const xmlAttr* a = node->properties; a; a = a->next) {
        const std::string_view full = reinterpret_cast<const char*>(a->name);
        if (full == name || (full.ends_with(name) && full[full.size() - name.size() - 1] == ':'))
            return Content(reinterpret_cast<Node>(a));
    }
    return {};
}

// `node` and every element under it, in document order.
template <typename Visit>
void ForEachElement(Node node, const Visit& visit) {
    if (!node || node->type != XML_ELEMENT_NODE) return;
    visit(node);
    for (Node child = node->children; child; child = child->next) ForEachElement(child, visit);
}

bool InsideBody(Node node) {
    for (Node up = node->parent; up; up = up->parent)
        if (Is(up, "body")) return true;
    return false;
}

Node FirstChild(Node node, std::string_view name) {
    for (Node child = node ? node->children : nullptr; child; child = child->next)
        if (Is(child, name)) return child;
    return nullptr;
}

enum class Reading { kPage, kContentsLabel };

// The one list of what the converter leaves out on purpose; any other text of
// a body (tables, code, unknown elements included) must reach the book.
bool LeftOut(Node node, Reading reading, Node firstMainBody) {
    // The first main body's own title names the running header of the first
    // pages and shows as no block; the title page shows the book title from
    // the description instead.
    if (Is(node, "title") && node->parent == firstMainBody) return true;
    // A contents label leaves out the links of its title (note references);
    // the page keeps them.
    return reading == Reading::kContentsLabel && Is(node, "a");
}

// Elements that run on inside a paragraph: no word break at their tags.
bool IsInline(Node node) {
    static const std::string_view kInline[] = {"emphasis", "strong", "strikethrough", "sub", "sup",
                                               "code",     "style",  "a"};
    return std::any_of(std::begin(kInline), std::end(kInline), [&](std::string_view name) { return Is(node, name); });
}

// The text under `node`: text and CDATA as written, a blank around every
// element that is not inline; comments and processing instructions are
// markup. With `marks`, each character gets the WordMark bits of the elements
// it stands in; `ids` are those of the bodies, `targets` those links name.
struct TextReading {
    Reading reading;
    Node firstMainBody;
    std::u32string text;
    std::vector<uint8_t>* marks = nullptr;
    const std::unordered_set<std::string>*ids = nullptr, *targets = nullptr;
    std::unordered_map<Node, std::pair<size_t, size_t>>* spans = nullptr;  // text of each element, blanks around
};

std::string LinkTarget(Node node) {
    const std::string href = Attribute(node, "href");
    return href.starts_with('#') ? href.substr(1) : href;
}

void AppendText(Node node, TextReading& r, uint8_t mark = 0) {
    for (; node; node = node->next) {
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            r.text += AsCalibreShows(Utf8ToUtf32(reinterpret_cast<const char*>(node->content)));
        } else if (node->type == XML_ELEMENT_NODE && !LeftOut(node, r.reading, r.firstMainBody)) {
            const uint8_t inner = mark | (Is(node, "sup") ? kMarkSup : 0) | (Is(node, "sub") ? kMarkSub : 0) |
                                  (Is(node, "emphasis") ? kMarkEmphasis : 0) | (Is(node, "strong") ? kMarkStrong : 0) |
                                  (Is(node, "a") && r.ids && r.ids->contains(LinkTarget(node)) ? kMarkLink : 0) |
                                  (r.targets && r.targets->contains(Attribute(node, "id")) ? kMarkTarget : 0) |
                                  (Is(node, "text-author") || Is(node, "date") ? kMarkAuthor : 0);
            if (!IsInline(node)) r.text += U' ';
            const size_t start = r.text.size();
            AppendText(node->children, r, inner);
            if (!IsInline(node)) r.text += U' ';
            if (r.spans && !IsInline(node)) r.spans->emplace(node, std::pair{start, r.text.size()});
        }
        if (r.marks) r.marks->resize(r.text.size(), mark);
    }
}

// Metadata values as a reader shows them: line breaks dropped, blanks collapsed.
std::string CleanValue(const std::string& value) {
    std::u32string out;
    for (const char32_t c : Utf8ToUtf32(value)) {
        if (c == U'\r' || c == U'\n') continue;
        const bool blank = c == U' ' || c == U'\t' || c == 0xA0;
        if (blank && (out.empty() || out.back() == U' ')) continue;
        out += blank ? U' ' : c;
    }
    while (!out.empty() && out.back() == U' ') out.pop_back();
    return Utf32ToUtf8(out);
}

// Title, first author of title-info, and the cover: the last image of any
// coverpage of the description.
void ReadDescription(Node description, Fb2Book& book) {
    const Node titleInfo = FirstChild(description, "title-info");
    if (const Node title = FirstChild(titleInfo, "book-title")) book.title = CleanValue(Content(title));
    if (const Node author = FirstChild(titleInfo, "author")) {
        const auto part = [&](const char* name) {
            const Node element = FirstChild(author, name);
            return element ? CleanValue(Content(element)) : std::string();
        };
        book.firstAuthorFirstName = part("first-name");
        book.firstAuthorLastName = part("last-name");
        if (book.firstAuthorLastName.empty() && FirstChild(author, "nickname"))
            book.firstAuthorLastName = "(" + part("nickname") + ")";
    }
    ForEachElement(description, [&](Node node) {
        if (!Is(node, "image") || !Is(node->parent, "coverpage")) return;
        const std::string href = Attribute(node, "href");
        book.coverId = href.starts_with('#') ? href.substr(1) : href;
    });
}

// A body named "notes" or "comments" holds notes and commentary that links
// lead to: shown in the note style, without contents entries. Every other
// body is a main body.
bool IsNotesBody(Node body) {
    const std::string name = Attribute(body, "name");
    return name.find("notes") != std::string::npos || name.find("comments") != std::string::npos;
}

// Every link to an id of a body, with the first words of the first element that carries the id.
void ReadLinks(const std::vector<Node>& bodies, Node firstMainBody, Fb2Book& book) {
    std::unordered_map<std::string, Node> elements;
    for (const Node body : bodies)
        ForEachElement(body, [&](Node node) { elements.try_emplace(Attribute(node, "id"), node); });
    std::unordered_map<std::string, std::vector<std::u32string>> firstWords;
    const auto words = [&](Node node) {
        TextReading r{Reading::kPage, firstMainBody, {}};
        AppendText(node->children, r);
        return SplitWords(r.text);
    };
    for (const Node body : bodies) {
        ForEachElement(body, [&](Node node) {
            const auto target = Is(node, "a") ? elements.find(LinkTarget(node)) : elements.end();
            if (target == elements.end() || target->first.empty()) return;
            auto [first, added] = firstWords.try_emplace(target->first);
            if (added) {
                first->second = words(target->second);
                first->second.resize(std::min<size_t>(first->second.size(), 3));
            }
            if (!first->second.empty()) book.links.push_back({words(node), first->second});
        });
    }
}

// Elements that hold one piece of a page together: a stanza its verse lines, a cite or an epigraph its runs of
// paragraphs and author lines (a poem, a subtitle, a table or a picture between them starts a new piece).
bool HoldsWhole(Node node, Node child) {
    bool picture = false;
    ForEachElement(child, [&](Node inner) { picture |= Is(inner, "image"); });
    if (picture) return false;
    if (Is(node, "stanza")) return Is(child, "v");
    if (!Is(node, "cite") && !Is(node, "epigraph")) return false;
    return Is(child, "p") || Is(child, "text-author") || Is(child, "empty-line");
}

// The word ranges of the pieces under `body`, from the character spans of its elements. Spans start and end
// beside a blank, so the words of the text before a span are the words of its parts.
void AddWholeGroups(Node body, const std::u32string& text,
                    const std::unordered_map<Node, std::pair<size_t, size_t>>& spans, size_t firstWord,
                    std::vector<Fb2Book::Piece>& pieces) {
    std::vector<Fb2Book::Piece> ranges;  // in characters
    ForEachElement(body, [&](Node node) {
        size_t from = std::u32string::npos, to = 0;
        for (Node child = node->children;; child = child->next) {
            const auto span = child ? spans.find(child) : spans.end();
            if (child && child->type != XML_ELEMENT_NODE) continue;
            if (child && HoldsWhole(node, child) && span != spans.end()) {
                from = std::min(from, span->second.first);
                to = span->second.second;
                continue;
            }
            if (from != std::u32string::npos) ranges.push_back({from, to, Is(node, "stanza")});
            from = std::u32string::npos;
            if (!child) break;
        }
    });
    std::vector<size_t> cuts;
    for (const auto& range : ranges) cuts.insert(cuts.end(), {range.first, range.end});
    std::sort(cuts.begin(), cuts.end());
    std::unordered_map<size_t, size_t> wordsBefore;  // character position -> words of the text before it
    size_t at = 0, words = firstWord;
    for (const size_t cut : cuts) {
        words += SplitWords(std::u32string_view(text).substr(at, cut - at)).size();
        at = cut;
        wordsBefore[cut] = words;
    }
    for (const auto& range : ranges) {
        const size_t first = wordsBefore[range.first], end = wordsBefore[range.end];
        if (end - first > 1) pieces.push_back({first, end, range.stanza});
    }
}

void ReadBodies(const std::vector<Node>& bodies, Fb2Book& book) {
    const auto firstMain = std::find_if(bodies.begin(), bodies.end(), [](Node b) { return !IsNotesBody(b); });
    const Node firstMainBody = firstMain == bodies.end() ? nullptr : *firstMain;
    std::unordered_set<std::string> ids;
    std::vector<std::string> targets;  // of every link, in order
    for (const Node body : bodies) {
        ForEachElement(body, [&](Node node) {
            if (const std::string id = Attribute(node, "id"); !id.empty()) ids.insert(id);
            if (Is(node, "a") && !Attribute(node, "href").empty()) targets.push_back(LinkTarget(node));
        });
    }
    const std::unordered_set<std::string> targeted(targets.begin(), targets.end());
    for (const Node body : bodies) {
        std::vector<uint8_t> marks;
        std::unordered_map<Node, std::pair<size_t, size_t>> spans;
        TextReading page{Reading::kPage, firstMainBody, {}, &marks, &ids, &targeted, &spans};
        AppendText(body->children, page, IsNotesBody(body) ? kMarkInNotes : 0);
        AddWholeGroups(body, page.text, spans, book.bodyWords.size(), book.wholePieces);
        std::vector<uint8_t> wordMarks;
        for (auto& word : SplitWords(page.text, &marks, &wordMarks)) book.bodyWords.push_back(std::move(word));
        book.bodyWordMarks.insert(book.bodyWordMarks.end(), wordMarks.begin(), wordMarks.end());
        ForEachElement(body, [&](Node node) {
            if (!Is(node, "section") || IsNotesBody(body)) return;
            TextReading title{Reading::kContentsLabel, firstMainBody, {}};
            if (const Node element = FirstChild(node, "title")) AppendText(element->children, title);
            if (auto words = SplitWords(title.text); !words.empty()) book.sectionTitles.push_back(std::move(words));
        });
    }
    for (const std::string& target : targets) book.resolvableLinks += ids.contains(target);
    ReadLinks(bodies, firstMainBody, book);
    for (const Node body : bodies) {
        ForEachElement(body, [&](Node node) {
            bool inLine = false;
            for (Node up = node->parent; Is(node, "image") && up != body; up = up->parent) {
                if (LeftOut(up, Reading::kPage, firstMainBody)) return;
                for (const char* line : {"p", "v", "td", "th", "subtitle", "text-author", "title"}) inLine |= Is(up, line);
            }
            if (inLine) book.inlineImages.push_back(LinkTarget(node));
        });
    }
}

int ReadBigEndian(const std::vector<uint8_t>& d, size_t at, size_t bytes) {
    int value = 0;
    for (size_t k = 0; k < bytes; ++k) value = (value << 8) | d[at + k];
    return value;
}

void ProbeImage(Fb2Image& image) {
    const auto& d = image.data;
    static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (d.size() >= 8 && std::memcmp(d.data(), kPng, 8) == 0) {
        image.kind = "PNG";
        if (d.size() >= 24 && std::memcmp(&d[12], "IHDR", 4) == 0) {
            image.width = ReadBigEndian(d, 16, 4);
            image.height = ReadBigEndian(d, 20, 4);
        }
        return;
    }
    // GIF and BMP: the low 16 bits of their size fields (only whether they are positive matters here).
    const bool gif = d.size() >= 10 && (!std::memcmp(d.data(), "GIF87a", 6) || !std::memcmp(d.data(), "GIF89a", 6));
    if (gif || (d.size() >= 26 && d[0] == 'B' && d[1] == 'M')) {
        image.kind = gif ? "GIF" : "BMP";
        image.width = gif ? d[6] | d[7] << 8 : d[18] | d[19] << 8;
        image.height = gif ? d[8] | d[9] << 8 : d[d[14] == 12 ? 20 : 22] | d[d[14] == 12 ? 21 : 23] << 8;
        return;
    }
    if (d.size() < 3 || d[0] != 0xFF || d[1] != 0xD8 || d[2] != 0xFF) return;
    image.kind = "JPEG";
    for (size_t at = 2; at + 4 <= d.size();) {
        if (d[at] != 0xFF) return;
        const uint8_t marker = d[at + 1];
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        const size_t length = static_cast<size_t>(ReadBigEndian(d, at + 2, 2));
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && at + 9 <= d.size()) {
            image.height = ReadBigEndian(d, at + 5, 2);
            image.width = ReadBigEndian(d, at + 7, 2);
            return;
        }
        at += 2 + length;
    }
}

std::vector<uint8_t> Base64(std::string_view text) {
    std::vector<uint8_t> out;
    uint32_t bits = 0;
    int count = 0;
    for (const char c : text) {
        int v;
        if (c >= 'A' && c <= 'Z') v = static_cast<int>(c - 'A');
        else if (c >= 'a' && c <= 'z') v = static_cast<int>(c - 'a') + 26;
        else if (c >= '0' && c <= '9') v = static_cast<int>(c - '0') + 52;
        else if (c == '+') v = 62;
        else if (c == '/') v = 63;
        else continue;
        bits = (bits << 6) | static_cast<uint32_t>(v);
        if (++count == 4) {
            out.push_back(static_cast<uint8_t>(bits >> 16));
            out.push_back(static_cast<uint8_t>(bits >> 8));
            out.push_back(static_cast<uint8_t>(bits));
            bits = 0;
            count = 0;
        }
    }
    if (count == 3) {
        out.push_back(static_cast<uint8_t>(bits >> 10));
        out.push_back(static_cast<uint8_t>(bits >> 2));
    } else if (count == 2) {
        out.push_back(static_cast<uint8_t>(bits >> 4));
    }
    return out;
}

// libxml2 reports nothing: damaged books are read as far as they go.
void Quiet(void*, const char*, ...) {}

}  // namespace

Fb2Book ReadFb2Book(const std::vector<uint8_t>& bytes) {
    Fb2Book book;
    bool converted = false;
    const std::vector<uint8_t> utf8 = InUtf8(bytes, converted);
    for (const std::string_view end : {"</description", ":description>"})
        book.descriptionClosed |= std::search(utf8.begin(), utf8.end(), end.begin(), end.end()) != utf8.end();
    const std::string text = WithNumericReferences(utf8);
    xmlSetGenericErrorFunc(nullptr, Quiet);
    // The encoding as the declaration names it, unless the book was in UTF-16.
    xmlDoc* doc = xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, converted ? "UTF-8" : nullptr,
                                XML_PARSE_RECOVER | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING |
                                    XML_PARSE_HUGE | (converted ? XML_PARSE_IGNORE_ENC : 0));
    if (!doc) return book;
    std::vector<Node> bodies;
    ForEachElement(xmlDocGetRootElement(doc), [&](Node node) {
        if (Is(node, "description") && !std::exchange(book.hasDescription, true)) ReadDescription(node, book);
        if (Is(node, "body") && !InsideBody(node)) bodies.push_back(node);
        if (!Is(node, "binary")) return;
        Fb2Image image{Attribute(node, "id"), Attribute(node, "content-type"), Base64(Content(node)), "", 0, 0};
        ProbeImage(image);
        book.images.push_back(std::move(image));
    });
    book.hasBody = !bodies.empty();
    ReadBodies(bodies, book);
    xmlFreeDoc(doc);
    return book;
}

std::vector<const Fb2Image*> ConvertibleImages(const Fb2Book& book) {
    std::vector<const Fb2Image*> images;
    for (const auto& image : book.images)
        if (!image.kind.empty() && image.width > 0 && image.height > 0) images.push_back(&image);
    return images;
}

std::vector<uint8_t> ZipSingleMember(const std::vector<uint8_t>& zip) {
    auto u16 = [&](size_t at) { return at + 2 <= zip.size() ? zip[at] | zip[at + 1] << 8 : 0; };
    auto u32 = [&](size_t at) {
        return at + 4 <= zip.size() ? static_cast<uint32_t>(u16(at)) | static_cast<uint32_t>(u16(at + 2)) << 16 : 0u;
    };
    // End of central directory: the last "PK\5\6".
    size_t end = zip.size() >= 22 ? zip.size() - 22 : 0;
    while (end > 0 && u32(end) != 0x06054B50) --end;
    if (u32(end) != 0x06054B50) return {};
    const size_t entries = u16(end + 10);
    size_t at = u32(end + 16);
    std::vector<uint8_t> member;
    size_t files = 0;
    for (size_t k = 0; k < entries && u32(at) == 0x02014B50; ++k) {
        const size_t nameLength = u16(at + 28), extraLength = u16(at + 30), commentLength = u16(at + 32);
        if (at + 46 + nameLength > zip.size()) return {};
        const bool folder = nameLength > 0 && zip[at + 46 + nameLength - 1] == '/';
        if (!folder) {
            ++files;
            const int method = u16(at + 10);
            const size_t packed = u32(at + 20), size = u32(at + 24), local = u32(at + 42);
            const size_t data = local + 30 + u16(local + 26) + u16(local + 28);
            if (data + packed > zip.size()) return {};
            member.assign(size, 0);
            if (method == 0) {
                std::copy_n(zip.begin() + static_cast<std::ptrdiff_t>(data), size, member.begin());
            } else {
                z_stream stream{};
                inflateInit2(&stream, -MAX_WBITS);
                stream.next_in = const_cast<Bytef*>(&zip[data]);
                stream.avail_in = static_cast<uInt>(packed);
                stream.next_out = member.data();
                stream.avail_out = static_cast<uInt>(size);
                const int status = inflate(&stream, Z_FINISH);
                inflateEnd(&stream);
                if (status != Z_STREAM_END) return {};
            }
        }
        at += 46 + nameLength + extraLength + commentLength;
    }
    return files == 1 ? member : std::vector<uint8_t>{};
}

}  // namespace tavorin::test
