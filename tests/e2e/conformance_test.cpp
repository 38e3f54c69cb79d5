// Every test book (and every book of the shared corpus when it is present) is
// converted by the real executable with the default settings and read back
// with calibre: lrf2lrs must parse the book, the body words (read from the
// FB2 with libxml2) must arrive in order, every titled section of the main
// bodies must have a contents entry, every internal link whose target exists
// must jump, contents entries and jump buttons must land on blocks of their
// pages, no entity source text may show, ebook-meta must show the title and
// first author, every PNG, JPEG, GIF and BMP must become an image stream, the
// cover must come back byte for byte (with a thumbnail), and
// the look of every word must agree with the FB2 (CheckLook); no C1 control
// may show, no metadata value may hold markup, and the first page must show
// something (CheckShownText); every image inside a line must be shown in it.
// Every book written, whatever the exit code, must pass the structure check.
// Books that must be refused end with their documented exit code.
// With TAVORIN_BOOK_REPORT set to a file, each book appends its line of
// words, contents and links found, and its first missing word runs, to it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <regex>
#include <set>
#include <unordered_set>

#include <turbojpeg.h>

#include "codec/image_probe.h"
#include "support/calibre_lrs.h"
#include "support/calibre_tools.h"
#include "support/e2e_convert.h"
#include "support/e2e_fb2_book.h"
#include "support/e2e_look.h"
#include "support/e2e_metadata.h"
#include "support/e2e_words.h"
#include "support/lrf_check.h"
#include "support/test_util.h"

namespace tavorin::test {
namespace {

namespace fs = std::filesystem;

struct BookCase {
    std::string name;  // for the test name and the messages
    std::string path;
};

void PrintTo(const BookCase& book, std::ostream* out) { *out << book.name; }

std::vector<BookCase> FindBooks(const fs::path& root, const std::string& prefix) {
    std::vector<BookCase> books;
    if (root.empty() || !fs::is_directory(root)) return books;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".fb2" && ext != ".zip")) continue;
        books.push_back({prefix + fs::relative(entry.path(), root).string(), entry.path().string()});
    }
    std::sort(books.begin(), books.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return books;
}

std::vector<BookCase> AllBooks() {
    std::vector<BookCase> books = FindBooks(TestDataPath(""), "testdata/");
    const auto corpus = FindBooks(CorpusPath(""), "corpus/");
    books.insert(books.end(), corpus.begin(), corpus.end());
    return books;
}

// Books the converter must refuse, by file name, with their exit code.
const std::map<std::string, int>& RefusedBooks() {
    static const std::map<std::string, int> kRefused = {
        {"refused_two_members.zip", 5},
        {"refused_only_folder.zip", 5},
        {"refused_member_not_xml.zip", 8},
        {"sopds_three_members.zip", 5},
        {"sopds_not_a_zip.zip", 9},
        {"sopds_not_fb2_text.fb2", 9},
    };
    return kRefused;
}

// Sound books that calibre's lrf2lrs cannot read, with the reason.
const std::map<std::string, std::string>& CalibreLimits() {
    static const std::map<std::string, std::string> kLimits = {
        {"zh_calibre_tag_lookalike.fb2",
         "lrf2lrs finds text tags in raw text by the byte F5: U+7A00 U+4EF5 reads as the tag F57A"},
    };
    return kLimits;
}

constexpr int kAnyDocumentedCode = -1;

int ExpectedExitCode(const BookCase& book, const Fb2Book& fb2) {
    const auto refused = RefusedBooks().find(fs::path(book.path).filename().string());
    if (refused != RefusedBooks().end()) return refused->second;
    // A book without a description converts; one that ends inside it does not.
    if (!fb2.hasDescription) return fb2.hasBody ? 0 : 10;
    if (!fb2.descriptionClosed) return 10;
    return book.name.find("/malformed/") != std::string::npos ? kAnyDocumentedCode : 0;
}

bool ContainsUnknown(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text.find("unknown") != std::string::npos;
}

std::string CollapseBlanks(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
        out += c;
    }
    return out;
}

class ConformanceTest : public ::testing::TestWithParam<BookCase> {
protected:
    void SetUp() override {
        if (!HaveCalibre()) GTEST_SKIP() << "calibre's lrf2lrs is not installed";
        const std::vector<uint8_t> input = ReadFileBytes(GetParam().path);
        source_ = LooksLikeZip(input) ? ZipSingleMember(input) : input;
        fb2_ = ReadFb2Book(source_);
    }

    std::string Book() const { return GetParam().name; }

    void CheckWords(const LrsBook& lrs) {
        if (fb2_.bodyWords.empty()) return;
        const auto actual = SplitWords(lrs.text);
        const WordMatch match = MatchInOrder(fb2_.bodyWords, actual);
        const double share = static_cast<double>(match.found) / static_cast<double>(fb2_.bodyWords.size());
        const std::string missing = DescribeMissing(match, fb2_.bodyWords);
        char percent[16];
        std::snprintf(percent, sizeof percent, "%.1f%%", 100 * share);
        report_.words = std::to_string(fb2_.bodyWords.size()) + " words, " + percent + " in order";
        report_.missing = missing;
        EXPECT_GE(share, 0.995) << Book() << ": only " << match.found << " of " << fb2_.bodyWords.size()
                                << " body words arrive in order" << missing;
    }

    // Every titled section of the main bodies has a contents entry, in order,
    // whose words hold the title's words in their order (a title of several
    // paragraphs is one label, its parts joined by ". "; lrf2lrs leaves
    // entity text such as "&nbsp;" in labels as it is).
    void CheckContentsCoverage(const LrsBook& lrs) {
        std::vector<std::vector<std::u32string>> labels;
        for (const auto& entry : lrs.toc) labels.push_back(SplitWords(Utf8ToUtf32(entry.label)));
        const auto holds = [](const std::vector<std::u32string>& label, const std::vector<std::u32string>& title) {
            auto at = label.begin();
            for (const auto& word : title) {
                at = std::find(at, label.end(), word);
                if (at == label.end()) return false;
                ++at;
            }
            return true;
        };
        size_t next = 0, found = 0, lostCount = 0;
        std::string lost;
        for (const auto& title : fb2_.sectionTitles) {
            size_t at = next;
            while (at < labels.size() && !holds(labels[at], title)) ++at;
            if (at < labels.size()) {
                next = at + 1;
                ++found;
            } else if (++lostCount <= 5) {
                std::string words;
                for (const auto& word : title) words += (words.empty() ? "" : " ") + Utf32ToUtf8(word);
                lost += "\n  \"" + words + "\"";
            }
        }
        report_.contents = std::to_string(found) + "/" + std::to_string(fb2_.sectionTitles.size()) + " titled sections (" +
                           std::to_string(lrs.toc.size()) + " entries)";
        EXPECT_EQ(found, fb2_.sectionTitles.size())
            << Book() << ": " << fb2_.sectionTitles.size() - found << " of " << fb2_.sectionTitles.size()
            << " titled sections have no contents entry among " << lrs.toc.size() << ":" << lost;
    }

    void CheckContents(const LrsBook& lrs) {
        std::string bad;
        size_t badCount = 0;
        for (const auto& entry : lrs.toc) {
            if (PageHolds(lrs, entry.refpage, entry.refobj)) continue;
            if (++badCount <= 5)
                bad += "\n  \"" + entry.label + "\" refpage " + entry.refpage + " refobj " + entry.refobj;
        }
        EXPECT_EQ(badCount, 0u) << Book() << ": " << badCount << " of " << lrs.toc.size()
                                << " contents entries name no block of their page:" << bad;
    }

    // Every button a text refers to must jump to a block of its page: a link
    // to an id that the book lacks is plain text. Every link to an id that
    // the book holds must be a button that jumps (the notes add their return
    // links on top).
    void CheckButtons(const LrsBook& lrs) {
        std::string bad;
        size_t badCount = 0, resolved = 0;
        std::unordered_set<std::string> seen;
        for (const auto& ref : lrs.charButtonRefs) {
            const auto button = lrs.buttons.find(ref);
            const bool jumps =
                button != lrs.buttons.end() && PageHolds(lrs, button->second.refpage, button->second.refobj);
            resolved += jumps;
            if (!seen.insert(ref).second || jumps) continue;
            if (++badCount > 5) continue;
            bad += "\n  button " + ref;
            if (button != lrs.buttons.end())
                bad += ": refpage " + button->second.refpage + " refobj " + button->second.refobj;
        }
        EXPECT_EQ(badCount, 0u) << Book() << ": " << badCount << " of " << seen.size()
                                << " buttons in the text jump to no block of their page:" << bad;
        report_.links = std::to_string(resolved) + " jumps for " + std::to_string(fb2_.resolvableLinks) + " links";
        EXPECT_GE(resolved, fb2_.resolvableLinks)
            << Book() << ": " << resolved << " text buttons jump to a block of their page, but the book has "
            << fb2_.resolvableLinks << " links to ids it holds";
    }

    // Entities belong to the markup: the reader must never see their source
    // text, in the pages or in the table of contents.
    void CheckNoEntityText(const std::vector<uint8_t>& file) {
        static const std::u16string kEntities[] = {u"&amp;", u"&lt;", u"&gt;", u"&quot;", u"&apos;", u"&nbsp;",
                                                   u"&#"};
        // A book may show entity text on purpose: "&amp;amp;" in its source.
        const auto literalInBook = [&](const std::u16string& entity) {
            const std::string escaped = "&amp;" + Utf8(entity).substr(1);
            return std::search(source_.begin(), source_.end(), escaped.begin(), escaped.end()) != source_.end();
        };
        const LrfFile book = ReadLrf(file);
        std::vector<std::u16string> texts;
        for (const LrfObject* block : book.OfType(0x0A)) texts.push_back(TextStreamText(block->stream));
        for (const LrfObject* toc : book.OfType(0x1E)) texts.push_back(TocLabels(toc->stream));
        for (const std::u16string& entity : kEntities) {
            if (literalInBook(entity)) continue;
            const bool shown = std::any_of(texts.begin(), texts.end(), [&](const std::u16string& text) {
                return text.find(entity) != std::u16string::npos;
            });
            EXPECT_FALSE(shown) << Book() << ": the entity text " << Utf8(entity) << " is visible in the book";
        }
    }

    // The labels of a table-of-contents stream, one after another.
    static std::u16string TocLabels(const std::vector<uint8_t>& stream) {
        std::u16string labels;
        if (stream.size() < 4) return labels;
        const uint32_t count = stream[0] | stream[1] << 8 | stream[2] << 16 | uint32_t(stream[3]) << 24;
        size_t at = 4 + 4 * size_t{count};
        for (uint32_t i = 0; i < count && at + 10 <= stream.size(); ++i) {
            const size_t length = stream[at + 8] | stream[at + 9] << 8;
            for (size_t k = 0; k + 1 < length && at + 10 + k + 1 < stream.size(); k += 2) {
                labels += static_cast<char16_t>(stream[at + 10 + k] | stream[at + 11 + k] << 8);
            }
            labels += u'\n';
            at += 10 + length;
        }
        return labels;
    }

    static std::string Utf8(const std::u16string& ascii) { return std::string(ascii.begin(), ascii.end()); }

    void CheckMetadata(const std::string& lrf) {
        const EbookMeta meta = RunEbookMeta(lrf);
        EXPECT_FALSE(ToolFailed(meta.run)) << Book() << ": ebook-meta failed:\n" << meta.run.output;
        if (!fb2_.title.empty() && !ContainsUnknown(fb2_.title)) {
            EXPECT_NE(CollapseBlanks(meta.title).find(fb2_.title), std::string::npos)
                << Book() << ": ebook-meta shows the title \"" << meta.title << "\", expected \"" << fb2_.title
                << "\"";
        }
        const std::string& author =
            fb2_.firstAuthorLastName.empty() ? fb2_.firstAuthorFirstName : fb2_.firstAuthorLastName;
        if (!author.empty() && !ContainsUnknown(author)) {
            EXPECT_NE(meta.authors.find(author), std::string::npos)
                << Book() << ": ebook-meta shows the authors \"" << meta.authors << "\", expected \"" << author
                << "\"";
        }
    }

    void CheckImages(const LrsBook& lrs, const std::string& lrf, const ScratchDir& dir) {
        const auto images = ConvertibleImages(fb2_);
        EXPECT_EQ(lrs.imageStreams, images.size())
            << Book() << ": " << lrs.imageStreams << " image streams for " << images.size()
            << " PNG, JPEG, GIF and BMP images in the FB2";
        const auto cover = std::find_if(images.begin(), images.end(),
                                        [&](const Fb2Image* image) { return image->id == fb2_.coverId; });
        if (fb2_.coverId.empty() || cover == images.end()) return;
        std::vector<uint8_t> expected = (*cover)->data;
        if ((*cover)->kind == "PNG") FixPngTransparency(expected, 0xFFFFFF);
        const std::string coverPath = dir.file("cover.img");
        const CommandResult run = RunGetCover(lrf, coverPath);
        EXPECT_FALSE(ToolFailed(run)) << Book() << ": ebook-meta --get-cover failed:\n" << run.output;
        const std::vector<uint8_t> actual = ReadFileBytes(coverPath);
        EXPECT_TRUE(actual == expected) << Book() << ": the cover read back (" << actual.size()
                                        << " bytes) differs from the cover image \"" << fb2_.coverId << "\" ("
                                        << expected.size() << " bytes)";
    }

    // The marks of each FB2 word against those the tests' decoder reads from the text streams. Styles and
    // header cells add looks, as does the way back to where a link came from; an author line has the look of
    // the settings. calibre must end buttons as the streams do and show no run of blanks; no image may exceed
    // its page's text area.
    void CheckLook(const LrsBook& lrs, const LrfFile& file) {
        static constexpr struct {
            uint8_t mark, addedAlso, lostAlso;  // where the book may add or drop the look (0xFF anywhere)
            const char* name;
        } kRules[] = {{kMarkSup, 0, kMarkAuthor, "superscript"}, {kMarkSub, 0, kMarkAuthor, "subscript"},
                      {kMarkLink, kMarkInNotes | kMarkTarget, 0, "link"}, {kMarkEmphasis, 0xFF, kMarkAuthor, "italic"},
                      {kMarkStrong, 0xFF, kMarkAuthor, "strong"}};
        std::vector<uint8_t> marks;
        const WordMatch match = MatchInOrder(fb2_.bodyWords, ReadMarkedWords(file, marks));
        size_t wrong = 0;
        std::string first;
        // libxml2 mends a damaged book its own way: its marks are not the book's.
        for (size_t i = 0; i < match.places.size() && Book().find("/malformed/") == std::string::npos; ++i) {
            const uint8_t want = fb2_.bodyWordMarks[i];
            const uint8_t got = match.places[i] < marks.size() ? marks[match.places[i]] : want;
            for (const auto& rule : kRules) {
                const bool lost = (want & rule.mark) && !(got & rule.mark) && !(want & rule.lostAlso);
                const bool added = !(want & rule.mark) && (got & rule.mark) && !(want & rule.addedAlso);
                if ((lost || (added && rule.addedAlso != 0xFF)) && ++wrong <= 8)
                    first += "\n  " + Utf32ToUtf8(fb2_.bodyWords[i]) + (lost ? " lost " : " shown as ") + rule.name;
            }
        }
        EXPECT_EQ(wrong, 0u) << Book() << ": " << wrong << " word marks differ from the FB2:" << first;
        const size_t linked = std::count_if(marks.begin(), marks.end(), [](uint8_t m) { return (m & kMarkLink) != 0; });
        EXPECT_LE(lrs.buttonWords, linked + linked / 10 + 10)  // room for words split differently
            << Book() << ": calibre shows " << lrs.buttonWords << " words inside buttons that hold " << linked;
        EXPECT_EQ(lrs.blankRuns, 0u) << Book() << ": calibre shows " << lrs.blankRuns << " runs of blanks";
        for (const auto& [style, size] : lrs.imageBlocks) {
            const auto area = lrs.pageStyles.count(style) ? lrs.pageStyles.at(style) : std::pair<long, long>{};
            EXPECT_TRUE(size.first <= area.first && size.second <= area.second)
                << Book() << ": an image of " << size.first << "x" << size.second << " on a text area of "
                << area.first << "x" << area.second;
        }
    }

    // The verse lines of every stanza, and each run of paragraphs of a cite or an epigraph, stand in one text
    // block: no gap opens inside them, whatever links or ids their lines hold.
    void CheckWholePieces(const LrfFile& file) {
        if (Book().find("/malformed/") != std::string::npos) return;  // libxml2 mends those its own way
        std::vector<uint8_t> marks;
        std::vector<uint32_t> blocks;
        const WordMatch match = MatchInOrder(fb2_.bodyWords, ReadMarkedWords(file, marks, &blocks));
        size_t broken = 0, brokenStanzas = 0, stanzas = 0;
        std::string first;
        for (const Fb2Book::Piece& piece : fb2_.wholePieces) {
            std::set<uint32_t> held;
            for (size_t i = piece.first; i < piece.end; ++i)
                if (match.places[i] < blocks.size()) held.insert(blocks[match.places[i]]);
            stanzas += piece.stanza;
            if (held.size() <= 1) continue;
            brokenStanzas += piece.stanza;
            if (++broken > 3) continue;
            first += "\n  " + std::to_string(held.size()) + " blocks:";
            for (size_t i = piece.first; i < std::min(piece.end, piece.first + 8); ++i)
                first += " " + Utf32ToUtf8(fb2_.bodyWords[i]);
        }
        report_.pieces = std::to_string(brokenStanzas) + "/" + std::to_string(stanzas) + " stanzas broken, " +
                         std::to_string(broken - brokenStanzas) + "/" +
                         std::to_string(fb2_.wholePieces.size() - stanzas) + " cite or epigraph runs broken";
        EXPECT_EQ(broken, 0u) << Book() << ": " << broken << " stanzas, cites or epigraphs span several blocks:"
                              << first;
    }

    // Every paragraph begins on a line of its own: in a text stream, a line break stands between the end of
    // one paragraph and the first text of the next (a text-author and a poem's date never share a line).
    void CheckLinesApart(const LrfFile& file) {
        size_t joined = 0;
        std::string first;
        for (const LrfObject* block : file.OfType(0x0A)) {
            // On the current line: some text, a paragraph with text ended, the next one started.
            bool text = false, ended = false, started = false;
            std::u32string before;
            for (const TextItem& item : DecodeTextStream(block->stream)) {
                if (!item.text.empty() && started && ++joined <= 3)
                    first += "\n  \"" + Utf32ToUtf8(before.substr(before.size() - std::min<size_t>(before.size(), 30))) +
                             "\" and \"" + Utf32ToUtf8(std::u32string(item.text.begin(), item.text.end()).substr(0, 30)) +
                             "\"";
                if (item.code == 0xF5A2 || item.code == 0xF5D2 || !item.text.empty()) ended = item.code == 0xF5A2 && text;
                started = ended && (started || item.code == 0xF5A1);
                text = item.code != 0xF5D2 && (text || !item.text.empty());
                before.append(item.text.begin(), item.text.end());
            }
        }
        EXPECT_EQ(joined, 0u) << Book() << ": " << joined << " paragraphs start on the line of the one before:"
                              << first;
    }

    // Every link to an id of the book jumps to the block that shows the first words of the element the id
    // names, whatever the id looks like ("3", "b3", "p_1"); a jump to a picture is taken as it is. Links are told
    // apart by the words they show.
    void CheckLinkTargets(const LrfFile& file) {
        std::map<std::vector<std::u32string>, std::set<uint32_t>> jumps;  // text blocks by button words
        for (const LrfObject* block : file.OfType(0x0A)) {
            std::u32string shown;
            const LrfObject* button = nullptr;
            for (const TextItem& item : DecodeTextStream(block->stream)) {
                if (item.code == 0xF5A7 && item.args.size() == 4) {
                    button = file.Object(item.args[0] | item.args[1] << 8 | item.args[2] << 16 |
                                         uint32_t(item.args[3]) << 24);
                    shown.clear();
                } else if (item.code == 0xF5A8 && button) {
                    const LrfTag* jump = button->Find(0xF56C);
                    if (jump && jump->value.size() >= 8) jumps[SplitWords(shown)].insert(jump->U32(4));
                    button = nullptr;
                }
                shown.append(item.text.begin(), item.text.end());
            }
        }
        std::map<uint32_t, std::vector<std::u32string>> blockWords;
        const auto shows = [&](uint32_t id, const std::vector<std::u32string>& target) {
            auto [words, added] = blockWords.try_emplace(id);
            const LrfObject* block = added ? TextBlockOf(file, id) : nullptr;
            if (added && !block) words->second = {target[0]};  // an image block: no words to compare
            if (block) {
                const std::u16string text = TextStreamText(block->stream);
                words->second = SplitWords(std::u32string(text.begin(), text.end()));
            }
            const auto& w = words->second;
            for (auto at = std::find(w.begin(), w.end(), target[0]); at != w.end();
                 at = std::find(at + 1, w.end(), target[0])) {
                const auto n = std::min<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(target.size()), w.end() - at);
                if (std::equal(target.begin(), target.begin() + n, at)) return true;
            }
            return false;
        };
        size_t lost = 0;
        std::string first;
        for (const Fb2Book::Link& link : fb2_.links) {
            if (link.text.empty()) continue;
            const auto found = jumps.find(link.text);
            const bool lands = found != jumps.end() && std::any_of(found->second.begin(), found->second.end(),
                                                                   [&](uint32_t id) { return shows(id, link.target); });
            if (lands || ++lost > 5) continue;
            first += "\n  \"" + Utf32ToUtf8(link.text[0]) + "\" to \"" + Utf32ToUtf8(link.target[0]) + "\"";
        }
        EXPECT_EQ(lost, 0u) << Book() << ": " << lost << " of " << fb2_.links.size()
                            << " links jump to no block that shows their target:" << first;
    }

    // A C1 control character is no text a reader can show: none in the pages or the contents. The values of
    // the metadata (the library's view) are plain text: no tag and no entity. The first page shows something.
    void CheckShownText(const LrfFile& file) {
        std::u16string texts;
        for (const LrfObject* block : file.OfType(0x0A)) texts += TextStreamText(block->stream);
        for (const LrfObject* toc : file.OfType(0x1E)) texts += TocLabels(toc->stream);
        const size_t c1 = std::count_if(texts.begin(), texts.end(), [](char16_t c) { return c >= 0x80 && c <= 0x9F; });
        EXPECT_EQ(c1, 0u) << Book() << ": " << c1 << " C1 control characters in the text streams and contents";
        static const std::regex kMarkup("<[A-Za-z/][^<>]*>|&(#[0-9]+|#x[0-9A-Fa-f]+|[A-Za-z]+);");
        const auto values = MetadataValues(file);
        ASSERT_TRUE(values) << Book() << ": the metadata XML is not well formed";
        for (const std::string& value : *values) {
            for (std::sregex_iterator m(value.begin(), value.end(), kMarkup), end; m != end; ++m) {
                std::string escaped;  // the book's own text "<Tales>" is "&lt;Tales&gt;" in its source
                for (const char c : m->str()) escaped += c == '<' ? "&lt;" : c == '>' ? "&gt;" : c == '&' ? "&amp;" : std::string(1, c);
                EXPECT_NE(std::search(source_.begin(), source_.end(), escaped.begin(), escaped.end()), source_.end())
                    << Book() << ": markup in the metadata value " << value;
            }
        }
        EXPECT_TRUE(FirstPageShowsSomething(file)) << Book() << ": the first page shows nothing";
    }

    // The images inside lines of the FB2 are, in order, the Plots of the text streams, each naming an image object
    // whose stream is that image; calibre shows each in its page.
    void CheckInlineImages(const LrsBook& lrs, const LrfFile& file) {
        std::vector<std::vector<uint8_t>> expected, shown;
        for (const std::string& id : fb2_.inlineImages) {
            for (const Fb2Image* image : ConvertibleImages(fb2_)) {
                if (image->id != id) continue;
                expected.push_back(image->data);
                if (image->kind == "PNG") FixPngTransparency(expected.back(), 0xFFFFFF);
                break;
            }
        }
        for (const LrfObject* block : file.OfType(0x0A)) {
            for (const TextItem& item : DecodeTextStream(block->stream)) {
                const LrfObject* image = item.code == 0xF5D1 ? file.Object(LrfTag{item.code, item.args}.U32(4)) : nullptr;
                const LrfTag* stream = image && image->type == 0x0C ? image->Find(0xF54C) : nullptr;
                const LrfObject* data = stream ? file.Object(stream->U32()) : nullptr;
                if (item.code == 0xF5D1) shown.push_back(data ? data->stream : std::vector<uint8_t>{});
            }
        }
        EXPECT_TRUE(shown == expected) << Book() << ": " << shown.size() << " images shown in lines for "
                                       << expected.size() << " in the FB2, or not theirs";
        EXPECT_EQ(lrs.plots, shown.size()) << Book() << ": calibre shows " << lrs.plots << " images in lines";
    }

    void CheckThumbnail(const LrfFile& file) {
        const auto images = ConvertibleImages(fb2_);
        const auto cover = std::find_if(images.begin(), images.end(), [&](auto* i) { return i->id == fb2_.coverId; });
        if (fb2_.coverId.empty() || cover == images.end()) return;
        tjhandle tj = tjInitDecompress();
        int width = 0, height = 0, subsampling = 0, colourspace = 0;
        std::vector<uint8_t> pixels(60 * 80 * 3);
        const auto* jpeg = file.thumbnail.data();
        const size_t size = file.thumbnail.size();
        EXPECT_TRUE(file.thumbnailType == 17 &&
                    !tjDecompressHeader3(tj, jpeg, size, &width, &height, &subsampling, &colourspace) &&
                    width <= 60 && height <= 80 &&
                    !tjDecompress2(tj, jpeg, size, pixels.data(), width, 0, height, TJPF_RGB, 0))
            << Book() << ": the cover gives no JPEG thumbnail within 60x80 that TurboJPEG decodes";
        tjDestroy(tj);
    }

    // The book's line in the TAVORIN_BOOK_REPORT file, written as one piece
    // so that test processes running at once do not mix their lines.
    void TearDown() override {
        const char* path = std::getenv("TAVORIN_BOOK_REPORT");
        if (!path || !*path || report_.status.empty()) return;
        std::string line = Book() + " | " + report_.status + " | " + report_.words + " | " + report_.contents +
                           " | " + report_.links + " | " + report_.pieces + report_.missing + "\n";
        if (FILE* file = std::fopen(path, "a")) {
            std::setvbuf(file, nullptr, _IONBF, 0);
            std::fwrite(line.data(), 1, line.size(), file);
            std::fclose(file);
        }
    }

    struct Report {
        std::string status, words = "-", contents = "-", links = "-", pieces = "-", missing;
    };

    std::vector<uint8_t> source_;  // the FB2 bytes
    Fb2Book fb2_;
    Report report_;
};

TEST_P(ConformanceTest, ConvertsAndReadsBack) {
    ScratchDir dir;
    const std::string lrf = dir.file("book.lrf");
    const CommandResult run = ConvertWithExe(GetParam().path, lrf, dir.path().string(), dir.file("tmp"));
    const int expected = ExpectedExitCode(GetParam(), fb2_);
    report_.status = "exit " + std::to_string(run.exitCode);

    ASSERT_TRUE(IsDocumentedExitCode(run.exitCode))
        << Book() << ": the converter ended with " << run.exitCode << "\n" << run.output;
    if (expected != kAnyDocumentedCode) {
        EXPECT_EQ(run.exitCode, expected) << Book() << ": unexpected exit code\n" << run.output;
    }
    EXPECT_TRUE(fs::is_empty(dir.file("tmp"))) << Book() << ": temporary files left behind";
    if (!fs::exists(lrf)) {
        EXPECT_NE(run.exitCode, 0) << Book() << ": exit code 0 but no book written";
        return;
    }

    std::string problems;
    for (const auto& problem : CheckLrfStructure(ReadFileBytes(lrf))) problems += "\n  " + problem;
    EXPECT_TRUE(problems.empty()) << Book() << ": the book's structure is broken:" << problems;

    const std::string lrs = dir.file("book.lrs");
    const CommandResult read = RunLrf2Lrs(lrf, lrs);
    const auto limit = CalibreLimits().find(fs::path(GetParam().path).filename().string());
    if (limit != CalibreLimits().end() && ToolFailed(read)) {
        std::cout << Book() << ": lrf2lrs fails as known: " << limit->second << "\n";
        return;
    }
    ASSERT_FALSE(ToolFailed(read)) << Book() << ": lrf2lrs cannot read the book:\n" << read.output;
    LrsBook book;
    std::string error;
    ASSERT_TRUE(ParseLrs(ReadFileText(lrs), book, error)) << Book() << ": the LRS text is broken: " << error;
    if (run.exitCode != 0) return;

    CheckWords(book);
    CheckNoEntityText(ReadFileBytes(lrf));
    CheckContents(book);
    CheckContentsCoverage(book);
    CheckButtons(book);
    CheckMetadata(lrf);
    CheckImages(book, lrf, dir);
    const LrfFile file = ReadLrf(ReadFileBytes(lrf));
    CheckLook(book, file);
    CheckShownText(file);
    CheckInlineImages(book, file);
    CheckThumbnail(file);
    CheckWholePieces(file);
    CheckLinesApart(file);
    CheckLinkTargets(file);
}

std::string TestName(const ::testing::TestParamInfo<BookCase>& info) {
    std::string name = info.param.name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Books, ConformanceTest, ::testing::ValuesIn(AllBooks()), TestName);

}  // namespace
}  // namespace tavorin::test
