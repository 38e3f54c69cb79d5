// Character references and entities in FB2 text: numeric references become
// the characters they name, the XML entities (and "&nbsp;") theirs, in block
// contents and in the description's values.
#include "fb2/char_refs.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "fb2/transliterate.h"
#include "text/codec_tables.h"

namespace tavorin::fb2 {

namespace {

constexpr uint32_t kMaxCodePoint = 0x10FFFF;

bool IsAsciiAlnum(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

int DigitValue(char16_t c, int base) {
    int value = 36;
    if (c >= u'0' && c <= u'9') value = c - u'0';
    else if (c >= u'a' && c <= u'z') value = c - u'a' + 10;
    else if (c >= u'A' && c <= u'Z') value = c - u'A' + 10;
    return value < base ? value : -1;
}

// Reads the digits of a reference; false when there are none, when one is not
// a digit of the base, or when the number leaves the Unicode range.
bool ParseCodePoint(WStringView digits, int base, uint32_t& code) {
    if (digits.empty()) return false;
    code = 0;
    for (const char16_t c : digits) {
        const int digit = DigitValue(c, base);
        if (digit < 0) return false;
        code = code * base + digit;
        if (code > kMaxCodePoint) return false;
    }
    return true;
}

bool IsValidCharacter(uint32_t code) { return code != 0 && (code < 0xD800 || code > 0xDFFF); }

}  // namespace

void AppendTextCharacter(WString& out, uint32_t code) {
    switch (code) {
        case u'<': out += u"&lt;"; return;
        case u'>': out += u"&gt;"; return;
        case u'&': out += u"&amp;"; return;
    }
    if (code < 0x10000) {
        out.push_back(static_cast<char16_t>(code));
    } else {
        code -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    }
}

void DecodeCharRefs(WString& text) {
    size_t pos = text.find(u"&#");
    if (pos == WString::npos) return;
    WString out;
    out.reserve(text.size());
    size_t copied = 0;
    while (pos != WString::npos) {
        out.append(text, copied, pos - copied);
        // A reference is "&#", an optional 'x', a run of letters and digits and
        // an optional ';'. The whole run is taken so that a malformed reference
        // is removed as one piece.
        size_t i = pos + 2;
        const bool hex = i < text.size() && (text[i] == u'x' || text[i] == u'X');
        if (hex) ++i;
        const size_t digitsStart = i;
        while (i < text.size() && IsAsciiAlnum(text[i])) ++i;
        uint32_t code = 0;
        const WStringView digits = WStringView(text).substr(digitsStart, i - digitsStart);
        // "&#150;" is an en dash, as the reader finds a C1 character itself.
        const bool read = ParseCodePoint(digits, hex ? 16 : 10, code);
        if (read && code < 0x100) code = ReadC1AsWindows1252(static_cast<char16_t>(code));
        if (read && IsValidCharacter(code)) AppendTextCharacter(out, code);
        if (i < text.size() && text[i] == u';') ++i;
        copied = i;
        pos = text.find(u"&#", copied);
    }
    out.append(text, copied, WString::npos);
    text.swap(out);
}

namespace {

// Entities that stand for a character in the book's text.
constexpr struct {
    std::u16string_view name;
    char16_t character;
} kTextEntities[] = {{u"&nbsp", 0x00A0}, {u"&quot", u'"'}, {u"&amp", u'&'},
                     {u"&lt", u'<'},     {u"&gt", u'>'},   {u"&apos", u'\''}};

bool IsEntityNameChar(char16_t c) { return IsAsciiAlnum(c) || c == u'#'; }

// Appends `text` with its entities decoded. An entity runs from its '&' over
// at most ten letters, digits or '#' to a ';'; any other '&' is a character,
// unless the text ends within an entity name (`last`: nothing follows the
// text).
void AppendDecodedEntities(WString& out, WStringView text, bool last) {
    constexpr size_t kEntityWindow = 11;
    for (size_t i = 0; i < text.size();) {
        const size_t amp = text.find(u'&', i);
        out.append(text.substr(i, amp == WStringView::npos ? WStringView::npos : amp - i));
        if (amp == WStringView::npos) return;
        const WStringView window = text.substr(amp, kEntityWindow);
        size_t semicolon = window.find(u';');
        // What stands between is an entity's name only when it could be one:
        // "A & B;" is text (a book's unescaped '&'), not an entity to drop.
        if (semicolon != WStringView::npos &&
            !std::all_of(window.begin() + 1, window.begin() + static_cast<std::ptrdiff_t>(semicolon), IsEntityNameChar)) {
            semicolon = WStringView::npos;
        }
        if (semicolon != WStringView::npos) {
            const WStringView name = window.substr(0, semicolon);
            for (const auto& entity : kTextEntities) {
                if (name == entity.name) out += entity.character;
            }
            i = amp + semicolon + 1;
            continue;
        }
        if (last && window.size() < kEntityWindow && std::all_of(window.begin() + 1, window.end(), IsEntityNameChar)) {
            return;
        }
        out += u'&';
        i = amp + 1;
    }
}

}  // namespace

void DecodeContentText(lrf::TextContent& content) {
    WString decoded, run;
    decoded.reserve(content.characters.size());
    for (size_t k = 0; k < content.ops.size(); ++k) {
        lrf::TextOperation& op = content.ops[k];
        if (op.code != lrf::TextCode::kText) continue;
        const WStringView text = WStringView(content.characters).substr(op.start, op.end - op.start);
        op.start = decoded.size();
        if (text.find(u'&') == WStringView::npos) {
            decoded.append(text);
        } else {
            run.assign(text);
            DecodeCharRefs(run);
            AppendDecodedEntities(decoded, run, k + 1 == content.ops.size());
        }
        op.end = decoded.size();
    }
    content.characters.swap(decoded);
}

WString MarkupAsPlainText(WStringView markup) {
    static constexpr struct {
        std::u16string_view name;
        char16_t character;
    } kNamed[] = {{u"amp", u'&'}, {u"lt", u'<'}, {u"gt", u'>'}, {u"quot", u'"'}, {u"apos", u'\''}, {u"nbsp", 0xA0}};
    constexpr size_t kEntityWindow = 11;  // '&', a name of at most 9 characters, ';'

    WString text(markup);
    DecodeCharRefs(text);
    WString plain;
    plain.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'<') {  // a tag reads as nothing
            const size_t close = text.find(u'>', i);
            if (close == WString::npos) break;
            i = close;
            continue;
        }
        const WStringView window = WStringView(text).substr(i, c == u'&' ? kEntityWindow : 0);
        const size_t semicolon = window.find(u';');
        const WStringView name = semicolon == WStringView::npos ? WStringView() : window.substr(1, semicolon - 1);
        if (name.empty() || !std::all_of(name.begin(), name.end(), IsAsciiAlnum)) {
            plain += c;
            continue;
        }
        // An entity; one that names none of these characters reads as nothing.
        for (const auto& entity : kNamed) {
            if (name == entity.name) plain += entity.character;
        }
        i += semicolon;
    }
    return plain;
}

void StripSimpleEntities(WString& text) {
    static constexpr struct {
        std::u16string_view prefix;
        std::u16string_view replacement;
    } kEntities[] = {{u"&nbsp", u""}, {u"&quot", u"\""}, {u"&amp", u"&"}};

    WString out;
    out.reserve(text.size());
    size_t semicolon = text.find(u';');  // the next ';' at or after i
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == u'&') {
            if (semicolon != WString::npos && semicolon < i) semicolon = text.find(u';', i);
            const WStringView rest = WStringView(text).substr(i);
            const auto* entity = std::find_if(std::begin(kEntities), std::end(kEntities),
                                              [&](const auto& e) { return StartsWith(rest, e.prefix); });
            // An entity runs from its '&' to the next ';'.
            if (entity != std::end(kEntities) && semicolon != WString::npos) {
                out += entity->replacement;
                i = semicolon + 1;
                continue;
            }
        }
        out.push_back(text[i++]);
    }
    text.swap(out);
}

}  // namespace tavorin::fb2
