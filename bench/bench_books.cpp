// Benchmark books: locating, enlarging and decoding.
#include "bench_books.h"

#include <iconv.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string_view>

namespace tavorin::bench {

namespace fs = std::filesystem;

std::string DefaultBookPath() {
    const fs::path path = fs::path(TAVORIN_SOURCE_DIR).parent_path() / "shared" / "corpus" / "windows-1251" /
                          "dumas_twenty_years_after_ru_large.fb2";
    return fs::exists(path) ? path.string() : std::string();
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::vector<uint8_t> EnlargeBook(const std::vector<uint8_t>& book, size_t targetSize) {
    const std::string_view text(reinterpret_cast<const char*>(book.data()), book.size());
    const size_t body = text.find("<body");
    const size_t start = body == std::string_view::npos ? body : text.find('>', body);
    const size_t end = start == std::string_view::npos ? start : text.find("</body>", start);
    if (end == std::string_view::npos) throw std::runtime_error("the book has no body to repeat");
    const size_t content = end - (start + 1);
    const size_t rest = book.size() - content;
    const size_t copies = std::max<size_t>(1, (targetSize - std::min(targetSize, rest) + content - 1) / content);

    std::vector<uint8_t> large(book.begin(), book.begin() + static_cast<std::ptrdiff_t>(start + 1));
    large.reserve(book.size() + (copies - 1) * content);
    for (size_t k = 0; k < copies; ++k)
        large.insert(large.end(), book.begin() + static_cast<std::ptrdiff_t>(start + 1),
                     book.begin() + static_cast<std::ptrdiff_t>(end));
    large.insert(large.end(), book.begin() + static_cast<std::ptrdiff_t>(end), book.end());
    return large;
}

std::vector<uint8_t> TitledSectionsBook(size_t targetSize) {
    std::string book =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<FictionBook><description><title-info><author>"
        "<first-name>Ada</first-name><last-name>Quill</last-name></author><book-title>Dictionary</book-title>"
        "</title-info></description>\n<body>";
    uint32_t seed = 1;
    auto word = [&] {
        seed = seed * 1103515245 + 12345;
        std::string w(3 + (seed >> 16) % 7, 'a');
        for (char& c : w) c = static_cast<char>('a' + ((seed = seed * 1103515245 + 12345) >> 16) % 26);
        return w;
    };
    for (int entry = 0; book.size() < targetSize; ++entry) {
        book += "<section><title><p>" + word() + " " + std::to_string(entry) + "</p></title><p>";
        for (int k = 0; k < 8; ++k) book += word() + (k < 7 ? " " : ".");
        book += "</p></section>\n";
    }
    book += "</body></FictionBook>\n";
    return std::vector<uint8_t>(book.begin(), book.end());
}

// The characters between the tags, without the base64 text of the images.
std::string TextBetweenTags(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t at = 0;
    while (at < text.size()) {
        const size_t open = text.find('<', at);
        out.append(text.substr(at, open == std::string_view::npos ? std::string_view::npos : open - at));
        if (open == std::string_view::npos) break;
        const size_t skipTo = text.compare(open, 8, "<binary ") == 0 ? text.find("</binary>", open) : open;
        const size_t close = skipTo == std::string_view::npos ? skipTo : text.find('>', skipTo);
        if (close == std::string_view::npos) break;
        at = close + 1;
    }
    return out;
}

std::vector<uint8_t> TextAsUtf16(const std::vector<uint8_t>& book) {
    const std::string_view file(reinterpret_cast<const char*>(book.data()), book.size());
    const std::string_view declaration = file.substr(0, file.find('>'));
    const std::string text = TextBetweenTags(file);
    const char* codec = declaration.find("1251") != std::string_view::npos ? "CP1251" : "UTF-8";
    iconv_t cd = iconv_open("UTF-16LE", codec);
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv cannot convert the book");
    std::vector<uint8_t> out(book.size() * 4 + 16);
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* outPtr = reinterpret_cast<char*>(out.data());
    size_t outLeft = out.size();
    while (inLeft > 0 && iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
        ++in;  // a byte the code page lacks is left out
        --inLeft;
    }
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace tavorin::bench
