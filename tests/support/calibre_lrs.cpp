// Lenient LRS reading: a tag scanner with an element stack, raw text for the
// metadata fields and contents labels, and the text of the pages.
#include "support/calibre_lrs.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "support/e2e_words.h"

namespace tavorin::test {
namespace {

// Elements whose text runs on inside a paragraph: no word break at their tags.
bool IsInlineElement(std::string_view name) {
    static const std::string_view kInline[] = {"Span", "Italic", "Bold", "Sup", "Sub", "CharButton", "EmpLine",
                                               "EmpDots", "NoBR", "Rubi", "Oyamoji", "Rubimoji", "Box", "DrawChar"};
    return std::find(std::begin(kInline), std::end(kInline), name) != std::end(kInline);
}

// Containers inside the metadata; every other element there is a raw field.
bool IsInfoContainer(std::string_view name) {
    return name == "Info" || name == "BookInfo" || name == "DocInfo" || name == "ProductIdentifier";
}

std::u32string DecodeText(std::string_view raw) {
    const std::u32string text = Utf8ToUtf32(raw);
    std::u32string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char32_t c = text[i];
        // Controls, and LRF tag codes that calibre shows as characters when a
        // paragraph is left open at the end of a block.
        if (c < 0x20 || c == 0x7F || (c >= 0xF500 && c <= 0xF5FF)) {
            out += U' ';
            continue;
        }
        if (c != U'&') {
            out += c;
            continue;
        }
        const size_t semi = text.find(U';', i);
        if (semi == std::u32string::npos || semi - i > 12) {
            out += c;
            continue;
        }
        const std::u32string name = text.substr(i + 1, semi - i - 1);
        char32_t value = 0;
        if (name == U"amp") value = U'&';
        else if (name == U"lt") value = U'<';
        else if (name == U"gt") value = U'>';
        else if (name == U"quot") value = U'"';
        else if (name == U"apos") value = U'\'';
        else if (name.size() > 1 && name[0] == U'#') {
            const bool hex = name[1] == U'x' || name[1] == U'X';
            for (size_t k = hex ? 2 : 1; k < name.size(); ++k) {
                const char32_t d = name[k];
                const int digit = d >= U'0' && d <= U'9' ? int(d - U'0')
                                  : hex && (d | 0x20) >= U'a' && (d | 0x20) <= U'f' ? int((d | 0x20) - U'a' + 10)
                                                                                     : -1;
                if (digit < 0 || value > 0x10FFFF) {
                    value = 0;
                    break;
                }
                value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
            }
        }
        if (value == 0) {
            out += c;
            continue;
        }
        out += value < 0x20 ? U' ' : value;
        i = semi;
    }
    return out;
}

struct Tag {
    std::string name;
    std::map<std::string, std::string> attributes;
    bool end = false;
    bool selfClosing = false;
};

// Parses the inside of "<...>"; false when it holds no name.
bool ParseTag(std::string_view inside, Tag& tag) {
    size_t i = 0;
    if (i < inside.size() && inside[i] == '/') {
        tag.end = true;
        ++i;
    }
    if (!inside.empty() && inside.back() == '/') {
        tag.selfClosing = true;
        inside.remove_suffix(1);
    }
    const size_t nameStart = i;
    while (i < inside.size() && !std::isspace(static_cast<unsigned char>(inside[i]))) ++i;
    tag.name = std::string(inside.substr(nameStart, i - nameStart));
    while (i < inside.size()) {
        while (i < inside.size() && std::isspace(static_cast<unsigned char>(inside[i]))) ++i;
        const size_t eq = inside.find('=', i);
        if (eq == std::string_view::npos) break;
        std::string name(inside.substr(i, eq - i));
        while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back()))) name.pop_back();
        size_t open = eq + 1;
        while (open < inside.size() && std::isspace(static_cast<unsigned char>(inside[open]))) ++open;
        if (open >= inside.size() || (inside[open] != '"' && inside[open] != '\'')) break;
        const size_t close = inside.find(inside[open], open + 1);
        if (close == std::string_view::npos) break;
        tag.attributes[name] = Utf32ToUtf8(DecodeText(inside.substr(open + 1, close - open - 1)));
        i = close + 1;
    }
    return !tag.name.empty();
}

class LrsReader {
public:
    LrsReader(std::string_view lrs, LrsBook& book) : lrs_(lrs), book_(book) {}

    bool Read(std::string& error) {
        while (pos_ < lrs_.size()) {
            const size_t lt = lrs_.find('<', pos_);
            Text(lrs_.substr(pos_, (lt == std::string_view::npos ? lrs_.size() : lt) - pos_));
            if (lt == std::string_view::npos) break;
            pos_ = lt;
            if (!Markup(error)) return false;
        }
        if (!stack_.empty()) {
            error = "element <" + stack_.back() + "> is never closed";
            return false;
        }
        return true;
    }

private:
    bool Inside(std::string_view name) const { return std::find(stack_.begin(), stack_.end(), name) != stack_.end(); }

    void Text(std::string_view raw) {
        if (currentPage_ == kNoPage || raw.empty()) return;
        const std::u32string text = DecodeText(raw);
        book_.text += text;
        if (Inside("CharButton")) book_.buttonWords += SplitWords(text).size();
        // Runs go on across inline tags; the description's pages (off the main flow) indent their headings.
        if (!Inside("Main")) return;
        for (const char c : raw) {
            blanks_ = c == ' ' || c == '\t' ? blanks_ + 1 : 0;
            book_.blankRuns += blanks_ == 2;
        }
    }

    // The raw text of a field up to its end tag.
    std::string RawUpTo(const std::string& name) {
        const std::string endTag = "</" + name + ">";
        const size_t end = lrs_.find(endTag, pos_);
        const size_t stop = end == std::string_view::npos ? lrs_.size() : end;
        std::string value = Utf32ToUtf8(DecodeText(lrs_.substr(pos_, stop - pos_)));
        pos_ = end == std::string_view::npos ? lrs_.size() : end + endTag.size();
        return value;
    }

    bool Markup(std::string& error) {
        if (lrs_.compare(pos_, 4, "<!--") == 0) {
            const size_t end = lrs_.find("-->", pos_);
            pos_ = end == std::string_view::npos ? lrs_.size() : end + 3;
            return true;
        }
        const size_t gt = lrs_.find('>', pos_);
        if (gt == std::string_view::npos) {
            error = "a tag is cut off at the end";
            return false;
        }
        const std::string_view inside = lrs_.substr(pos_ + 1, gt - pos_ - 1);
        pos_ = gt + 1;
        if (!inside.empty() && (inside[0] == '?' || inside[0] == '!')) return true;
        Tag tag;
        if (!ParseTag(inside, tag)) {
            Text("<");  // a bare "<" in text
            pos_ -= inside.size() + 1;
            return true;
        }
        if (tag.end) return Close(tag.name, error);
        Open(tag);
        return true;
    }

    void Open(const Tag& tag) {
        if (currentPage_ != kNoPage && !IsInlineElement(tag.name)) book_.text += U' ';
        if (!IsInlineElement(tag.name)) blanks_ = 0;
        const auto attribute = [&](const char* name) {
            const auto it = tag.attributes.find(name);
            return it == tag.attributes.end() ? std::string() : it->second;
        };
        const auto number = [&](const char* name) { return std::atol(attribute(name).c_str()); };
        if (tag.name == "PageStyle") book_.pageStyles[attribute("objid")] = {number("textwidth"), number("textheight")};
        if (tag.name == "ImageBlock" && currentPage_ != kNoPage) {
            book_.imageBlocks.push_back({pageStyle_, {std::max(number("xsize"), number("blockwidth")),
                                                      std::max(number("ysize"), number("blockheight"))}});
        }
        if (tag.name == "Page" && !tag.selfClosing) {
            book_.pageIndex.emplace(attribute("objid"), book_.pages.size());
            book_.pages.push_back({attribute("objid"), {}});
            currentPage_ = book_.pages.size() - 1;
            pageStyle_ = attribute("pagestyle");
        } else if (currentPage_ != kNoPage && !attribute("objid").empty()) {
            book_.pages[currentPage_].objids.insert(attribute("objid"));
        }
        if (tag.name == "Button") button_ = attribute("objid");
        if (tag.name == "JumpTo") book_.buttons[button_] = {attribute("refpage"), attribute("refobj"), {}};
        if (tag.name == "CharButton" && currentPage_ != kNoPage) book_.charButtonRefs.push_back(attribute("refobj"));
        if (tag.name == "ImageStream") ++book_.imageStreams;
        if (tag.name == "Plot" && currentPage_ != kNoPage) ++book_.plots;
        if (tag.selfClosing) return;
        if (tag.name == "TocLabel") {
            book_.toc.push_back({attribute("refpage"), attribute("refobj"), RawUpTo(tag.name)});
            return;
        }
        if (Inside("Info") && !IsInfoContainer(tag.name)) {
            book_.info[tag.name] = RawUpTo(tag.name);
            return;
        }
        stack_.push_back(tag.name);
    }

    bool Close(const std::string& name, std::string& error) {
        const auto open = std::find(stack_.rbegin(), stack_.rend(), name);
        if (open == stack_.rend()) {
            error = "end tag </" + name + "> without a start tag";
            return false;
        }
        if (open != stack_.rbegin()) {
            error = "end tag </" + name + "> closes <" + stack_.back() + ">";
            return false;
        }
        stack_.pop_back();
        if (currentPage_ != kNoPage && !IsInlineElement(name)) book_.text += U' ';
        if (!IsInlineElement(name)) blanks_ = 0;
        if (name == "Page") currentPage_ = kNoPage;
        return true;
    }

    static constexpr size_t kNoPage = static_cast<size_t>(-1);
    std::string_view lrs_;
    LrsBook& book_;
    size_t pos_ = 0;
    std::vector<std::string> stack_;
    size_t currentPage_ = kNoPage;
    std::string button_;     // objid of the last Button element opened
    std::string pageStyle_;  // of the page being read
    size_t blanks_ = 0;      // blanks just read in the current line
};

}  // namespace

bool ParseLrs(std::string_view lrs, LrsBook& book, std::string& error) {
    book = LrsBook{};
    return LrsReader(lrs, book).Read(error);
}

bool PageHolds(const LrsBook& book, const std::string& pageObjid, const std::string& objid) {
    const auto it = book.pageIndex.find(pageObjid);
    return it != book.pageIndex.end() && book.pages[it->second].objids.contains(objid);
}

}  // namespace tavorin::test
