// Reading an FB2 file the way a reader of the converted book sees it: the
// text is decoded with the code page the converter picks (the first of
// "1251", "1252", "1250", "iso-8859-1", "koi8-r" found in the declared
// encoding, case-sensitive, else UTF-8) and walked tag by tag with the same
// element rules as the body conversion, so that words the conversion drops
// on purpose are not expected in the book.
#include "support/e2e_fb2_book.h"

#include <iconv.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <string_view>

#include "support/e2e_words.h"

namespace tavorin::test {
namespace {

using U32View = std::u32string_view;

std::u32string Ascii(std::string_view text) { return std::u32string(text.begin(), text.end()); }

bool Contains(U32View text, std::string_view what) { return text.find(Ascii(what)) != U32View::npos; }

// The text between the first pair of double quotes after `name`.
template <typename Text>
Text QuotedAfter(const Text& tag, const Text& name) {
    const size_t at = tag.find(name);
    if (at == Text::npos) return {};
    const size_t open = tag.find('"', at + name.size());
    if (open == Text::npos) return {};
    const size_t close = tag.find('"', open + 1);
    if (close == Text::npos) return {};
    return tag.substr(open + 1, close - open - 1);
}

std::string Codec(const std::string& encoding) {
    if (encoding.find("1251") != std::string::npos) return "CP1251";
    if (encoding.find("1252") != std::string::npos) return "CP1252";
    if (encoding.find("1250") != std::string::npos) return "CP1250";
    if (encoding.find("iso-8859-1") != std::string::npos) return "ISO-8859-1";
    if (encoding.find("koi8-r") != std::string::npos) return "KOI8-R";
    return "UTF-8";
}

// Single-byte code pages through iconv, one byte at a time so that a byte the
// code page leaves undefined becomes U+FFFD instead of ending the text.
std::u32string DecodeSingleByte(const std::vector<uint8_t>& bytes, const std::string& codec) {
    char32_t table[256];
    iconv_t cd = iconv_open("UTF-32LE", codec.c_str());
    for (int b = 0; b < 256; ++b) {
        char in = static_cast<char>(b);
        char32_t out = 0xFFFD;
        char* inPtr = &in;
        auto* outPtr = reinterpret_cast<char*>(&out);
        size_t inLeft = 1, outLeft = sizeof out;
        if (cd == reinterpret_cast<iconv_t>(-1) ||
            iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1))
            out = 0xFFFD;
        table[b] = out;
    }
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    std::u32string text;
    text.reserve(bytes.size());
    for (const uint8_t b : bytes) text += table[b];
    return text;
}

// Numeric references as the converter decodes them: "&#" and up to five
// more characters; a decimal number of up to four digits before ";".
void DecodeCharRefs(std::u32string& text) {
    size_t at = 0;
    while ((at = text.find(U"&#", at)) != std::u32string::npos) {
        const U32View window = U32View(text).substr(at, 7);
        size_t length = 7;
        const size_t semi = window.find(U';');
        if (semi != U32View::npos && !(window.size() == 7 && window[6] == U';')) length = semi + 1;
        length = std::min(length, text.size() - at);
        const size_t digitsEnd = length - 1;  // the ";" or the seventh character
        char32_t code = 0;
        bool number = digitsEnd > 2;
        for (size_t k = 2; k < digitsEnd; ++k) {
            const char32_t c = window[k];
            if (c < '0' || c > '9') {
                number = false;
                break;
            }
            code = code * 10 + (c - '0');
        }
        text.erase(at, length);
        if (number && code > 0) {
            text.insert(at, 1, code);
            ++at;
        }
    }
}

// The Latin-1 entity names of HTML, for the codes 160 to 255 in order.
constexpr std::string_view kLatin1EntityNames =
    "nbsp iexcl cent pound curren yen brvbar sect uml copy ordf laquo not shy reg macr deg plusmn sup2 "
    "sup3 acute micro para middot cedil sup1 ordm raquo frac14 frac12 frac34 iquest Agrave Aacute Acirc "
    "Atilde Auml Aring AElig Ccedil Egrave Eacute Ecirc Euml Igrave Iacute Icirc Iuml ETH Ntilde Ograve "
    "Oacute Ocirc Otilde Ouml times Oslash Ugrave Uacute Ucirc Uuml Yacute THORN szlig agrave aacute acirc "
    "atilde auml aring aelig ccedil egrave eacute ecirc euml igrave iacute icirc iuml eth ntilde ograve "
    "oacute ocirc otilde ouml divide oslash ugrave uacute ucirc uuml yacute thorn yuml";

// The character of a Latin-1 HTML entity name, or 0.
char32_t Latin1Entity(U32View name) {
    char32_t code = 160;
    size_t start = 0;
    while (start < kLatin1EntityNames.size()) {
        size_t end = kLatin1EntityNames.find(' ', start);
        if (end == std::string_view::npos) end = kLatin1EntityNames.size();
        const std::string_view candidate = kLatin1EntityNames.substr(start, end - start);
        if (candidate.size() == name.size() && std::equal(candidate.begin(), candidate.end(), name.begin())) return code;
        ++code;
        start = end + 1;
    }
    return 0;
}

// Named entities in body text as the book shows them: "&nbsp;", "&quot;"
// and "&amp;" stand for characters that separate words, every other entity of
// up to ten characters writes nothing. An "&amp;" written before an HTML
// entity name ("&amp;eacute;") leaves the text "&eacute;" in the book, which
// calibre shows as the letter.
void DropNamedEntities(std::u32string& text) {
    std::u32string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t semi = text[i] == U'&' ? text.find(U';', i) : std::u32string::npos;
        if (semi == std::u32string::npos || semi - i > 10) {
            out += text[i];
            continue;
        }
        const U32View name = U32View(text).substr(i, semi - i);
        if (name == U"&amp") {
            const size_t next = text.find(U';', semi + 1);
            const char32_t letter =
                next == std::u32string::npos ? 0 : Latin1Entity(U32View(text).substr(semi + 1, next - semi - 1));
            if (letter != 0) {
                out += letter;
                i = next;
                continue;
            }
        }
        if (name == U"&nbsp" || name == U"&quot" || name == U"&amp") out += U' ';
        i = semi;
    }
    text.swap(out);
}

// Named entities in metadata values, which are XML to their reader.
void DecodeXmlEntities(std::u32string& text) {
    static const std::pair<std::u32string_view, char32_t> kNames[] = {
        {U"&amp;", U'&'}, {U"&lt;", U'<'}, {U"&gt;", U'>'}, {U"&quot;", U'"'}, {U"&apos;", U'\''}};
    std::u32string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        bool replaced = false;
        if (text[i] == U'&') {
            for (const auto& [name, value] : kNames) {
                if (U32View(text).substr(i, name.size()) == name) {
                    out += value;
                    i += name.size() - 1;
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) out += text[i];
    }
    text.swap(out);
}

std::string CleanValue(std::u32string text) {
    DecodeCharRefs(text);
    DecodeXmlEntities(text);
    std::u32string out;
    for (const char32_t c : text) {
        if (c == U'\r' || c == U'\n') continue;
        const bool blank = c == U' ' || c == U'\t' || c == 0xA0;
        if (blank && (out.empty() || out.back() == U' ')) continue;
        out += blank ? U' ' : c;
    }
    while (!out.empty() && out.back() == U' ') out.pop_back();
    return Utf32ToUtf8(out);
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

std::vector<uint8_t> Base64(U32View text) {
    std::vector<uint8_t> out;
    uint32_t bits = 0;
    int count = 0;
    for (const char32_t c : text) {
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

// Reads the decoded text as alternating text pieces and tags.
class TagWalker {
public:
    explicit TagWalker(U32View text) : text_(text) {}
    U32View ReadText() { return ReadTo(U"<"); }
    U32View ReadTo(U32View delimiter) {
        const size_t start = pos_;
        const size_t at = text_.find(delimiter, pos_);
        pos_ = at == U32View::npos ? text_.size() : at;
        return text_.substr(start, pos_ - start);
    }
    // The tag from "<" to ">" inclusive; false at the end of the text.
    bool ReadTag(std::u32string& tag) {
        ReadTo(U"<");
        const size_t start = pos_;
        const size_t close = text_.find(U'>', pos_);
        if (close == U32View::npos) {
            pos_ = text_.size();
            return false;
        }
        pos_ = close + 1;
        tag.assign(text_.substr(start, pos_ - start));
        return true;
    }
    void Rewind() { pos_ = 0; }

private:
    U32View text_;
    size_t pos_ = 0;
};

// Description: title, first author of title-info, cover image id.
void ReadDescription(TagWalker& walker, Fb2Book& book) {
    std::u32string tag, title, first, last;
    bool inTitleInfo = false, inFirstAuthor = false, inCoverpage = false;
    int titleInfoAuthors = 0;
    while (walker.ReadTag(tag)) {
        if (Contains(tag, "<title-info")) inTitleInfo = true;
        if (Contains(tag, "</title-info")) inTitleInfo = false;
        if (inTitleInfo && Contains(tag, "<author")) inFirstAuthor = ++titleInfoAuthors == 1;
        if (Contains(tag, "</author")) inFirstAuthor = false;
        if (inTitleInfo && Contains(tag, "<book-title")) title += walker.ReadText();
        if (inFirstAuthor && Contains(tag, "<first-name>")) first += walker.ReadText();
        if (inFirstAuthor && Contains(tag, "<last-name>")) last += walker.ReadText();
        if (inFirstAuthor && Contains(tag, "<nickname>") && last.empty()) last = U"(" + std::u32string(walker.ReadText()) + U")";
        if (Contains(tag, "<coverpage")) inCoverpage = true;
        if (Contains(tag, "</coverpage")) inCoverpage = false;
        if (inCoverpage && Contains(tag, "<image")) {  // the last one wins
            const std::u32string href = QuotedAfter<std::u32string>(tag, U"href");
            book.coverId = Utf32ToUtf8(href.starts_with(U"#") ? href.substr(1) : href);
        }
        if (Contains(tag, "</description")) {
            book.descriptionClosed = true;
            break;
        }
    }
    book.title = CleanValue(title);
    book.firstAuthorFirstName = CleanValue(first);
    book.firstAuthorLastName = CleanValue(last);
}

void ReadImages(TagWalker& walker, Fb2Book& book) {
    std::u32string tag;
    while (walker.ReadTag(tag)) {
        if (!Contains(tag, "<binary ")) continue;
        Fb2Image image;
        image.id = Utf32ToUtf8(QuotedAfter<std::u32string>(tag, U"id"));
        image.contentType = Utf32ToUtf8(QuotedAfter<std::u32string>(tag, U"content-type"));
        image.data = Base64(walker.ReadTo(U"</binary"));
        ProbeImage(image);
        book.images.push_back(std::move(image));
    }
}

// The body walk: a small model of the body conversion, just precise enough to
// know which text reaches the book.
class BodyWords {
public:
    BodyWords(TagWalker& walker, Fb2Book& book, int pagesBeforeBody)
        : walker_(walker), book_(book), pageCounter_(pagesBeforeBody) {}

    void ConvertBody(const std::u32string& tag) {
        if (Contains(tag, "notes")) {
            inMainBody_ = false;
            ++pageCounter_;
        }
        Element(tag, kBodyText);
    }

    void Finish() {
        for (const auto& target : targets_)
            if (!ids_.contains(target)) ++book_.danglingTargets;
    }

private:
    enum Kind { kBodyText = 0, kTitle = 1, kEpigraph = 2, kPoem = 3, kSubtitle = 5, kCite = 15 };

    static Kind KindOf(U32View tag) {
        if (Contains(tag, "<title")) return kTitle;
        if (Contains(tag, "<epigraph")) return kEpigraph;
        if (Contains(tag, "<poem")) return kPoem;
        if (Contains(tag, "<subtitle")) return kSubtitle;
        if (Contains(tag, "<cite")) return kCite;
        return kBodyText;
    }

    enum class InlineTag { kNone, kRun, kParagraph, kParagraphEnd };

    // Replacement-table tags. Paragraph tags separate words; after those that
    // end a paragraph the text up to the next tag is dropped (taken for the
    // blanks between elements).
    static InlineTag ClassifyInline(U32View tag) {
        static const char* const kEnds[] = {"</p>", "<p/>", "<empty-line/>", "<stanza>", "</stanza>", "</v>"};
        static const char* const kStarts[] = {"<p>", "<v>"};
        static const char* const kRuns[] = {"<emphasis>", "</emphasis>", "<strong>", "</strong>",
                                            "</text-author>", "<sup>", "</sup>", "<sub>", "</sub>", "</a>"};
        // The table order decides: "<p>" is tried before "</p>" and so on.
        if (Contains(tag, "<p>")) return InlineTag::kParagraph;
        for (const char* pattern : kEnds)
            if (Contains(tag, pattern)) return InlineTag::kParagraphEnd;
        for (const char* pattern : kStarts)
            if (Contains(tag, pattern)) return InlineTag::kParagraph;
        for (const char* pattern : kRuns)
            if (Contains(tag, pattern)) return InlineTag::kRun;
        return InlineTag::kNone;
    }

    static bool IsStructural(U32View tag) {
        static const char* const kPrefixes[] = {"<section>", "<title", "<epigraph", "<poem",
                                                "<image ",   "<subtitle", "<section ", "<cite"};
        for (const char* prefix : kPrefixes)
            if (Contains(tag, prefix)) return true;
        return false;
    }

    static std::u32string ClosingTag(const std::u32string& tag) {
        std::u32string closing = U"</" + tag.substr(1);
        const size_t blank = closing.find(U' ');
        if (blank != std::u32string::npos) closing = closing.substr(0, blank) + U">";
        return closing;
    }

    void NoteIds(const std::u32string& tag) {
        const size_t at = tag.find(U" id=\"");
        if (at == std::u32string::npos) return;
        const size_t end = tag.find(U'"', at + 5);
        if (end != std::u32string::npos) ids_.insert(tag.substr(at + 5, end - at - 5));
    }

    // A link: an external one shows its address in brackets before its text,
    // any other becomes a button pair.
    void Link(const std::u32string& tag, std::u32string& buffer) {
        const std::u32string href = QuotedAfter<std::u32string>(tag, U"href");
        if (Contains(tag, "http://")) {
            buffer += U" (" + href + U") ";
            return;
        }
        if (href.empty()) return;
        targets_.insert(href.starts_with(U"#") ? href.substr(1) : href);
    }

    // Text-author text as the book shows it: tags inside it are markup.
    static std::u32string WithoutTags(U32View text) {
        std::u32string out;
        bool inTag = false;
        for (const char32_t c : text) {
            if (c == U'<') inTag = true;
            if (!inTag) out += c;
            if (c == U'>') {
                inTag = false;
                out += U' ';
            }
        }
        return out;
    }

    void Emit(std::u32string& buffer, Kind kind) {
        if (kind == kTitle && inMainBody_ && !SplitWords(buffer).empty()) {
            if (sectionDepth_ < 0 && pageCounter_ <= 3) {
                buffer.clear();  // sets only the running header
                return;
            }
            if (firstTitlePending_) firstTitlePending_ = false;
            else if (sectionDepth_ <= 0) ++pageCounter_;
        }
        DecodeCharRefs(buffer);
        DropNamedEntities(buffer);
        for (auto& word : SplitWords(buffer)) book_.bodyWords.push_back(std::move(word));
        buffer.clear();
    }

    // Returns false at the end of the input (every open element ends unemitted).
    bool Element(const std::u32string& openTag, Kind kind) {
        if (openTag == U"<section>") ++sectionDepth_;
        const std::u32string closing = ClosingTag(openTag);
        std::u32string buffer, tag;
        while (true) {
            buffer += walker_.ReadText();
            if (!walker_.ReadTag(tag)) return false;
            NoteIds(tag);
            InlineTag inlineTag = InlineTag::kNone;
            if (Contains(tag, "<a ")) {
                Link(tag, buffer);
            } else if (Contains(tag, "<p ")) {
                buffer += U' ';
            } else if (Contains(tag, "<text-author>")) {
                const U32View author = walker_.ReadTo(U"</");
                if (kind == kBodyText || kind == kEpigraph || kind == kPoem || kind == kCite)
                    buffer += U" " + WithoutTags(author) + U" ";
            } else if (Contains(tag, "<style")) {
            } else if ((inlineTag = ClassifyInline(tag)) != InlineTag::kNone) {
                if (inlineTag != InlineTag::kRun) buffer += U' ';
                if (inlineTag == InlineTag::kParagraphEnd) walker_.ReadText();
            } else if (IsStructural(tag)) {
                Emit(buffer, kind);
                const bool nests = !Contains(tag, "<image ") && !Contains(tag, "<section ");
                if (nests && !Element(tag, KindOf(tag))) return false;
            } else if (!(tag.find(closing) != std::u32string::npos) && tag.find(U'/') == std::u32string::npos) {
                walker_.ReadTo(U"</");  // an unknown element: its text up to the first closing tag is dropped
            }
            if ((tag.find(closing) != std::u32string::npos)) {
                Emit(buffer, kind);
                if (closing == U"</section>") --sectionDepth_;
                return true;
            }
        }
    }

    TagWalker& walker_;
    Fb2Book& book_;
    int pageCounter_;
    int sectionDepth_ = -1;
    bool inMainBody_ = true;
    bool firstTitlePending_ = true;
    std::unordered_set<std::u32string> ids_;
    std::unordered_set<std::u32string> targets_;
};

}  // namespace

Fb2Book ReadFb2Book(const std::vector<uint8_t>& bytes) {
    Fb2Book book;
    const std::string declaration(bytes.begin(), std::find(bytes.begin(), bytes.end(), '>'));
    book.declaredEncoding = QuotedAfter<std::string>(declaration, "encoding");
    book.codec = Codec(book.declaredEncoding);
    const std::u32string text = book.codec == "UTF-8"
                                    ? Utf8ToUtf32(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()))
                                    : DecodeSingleByte(bytes, book.codec);
    TagWalker walker(text);
    ReadDescription(walker, book);
    if (!book.descriptionClosed) return book;
    ReadImages(walker, book);

    const bool coverPage = !book.coverId.empty() && !ConvertibleImages(book).empty();
    BodyWords body(walker, book, (coverPage ? 1 : 0) + 2);
    walker.Rewind();
    std::u32string tag;
    while (walker.ReadTag(tag))
        if (Contains(tag, "<body")) body.ConvertBody(tag);
    body.Finish();
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
