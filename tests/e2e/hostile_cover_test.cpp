// Covers that would cost much to decode, and the cover references a book can
// get wrong, converted by the executable under the shell's limits: the
// process gets at most 1 s of CPU time (4 s in an unoptimised build) and
// 64 MB of address space above what converting a small book needs, so a
// cover that costs more is killed or fails its allocation, and the test sees
// a wrong outcome rather than a slow one. Each row names its outcome: a
// thumbnail, or no thumbnail with its `Error:` line; a front page or none.
// The covers are the image fuzzer's seeds (tests/fuzz/seeds/image/cover_*,
// written by testdata/make_covers.py).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/e2e_convert.h"
#include "support/lrf_check.h"
#include "support/test_util.h"

namespace tavorin::test {
namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;  // reserves terabytes of address space
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif
#ifdef __OPTIMIZE__
constexpr int kCpuSeconds = 1;
#else
constexpr int kCpuSeconds = 4;
#endif
// A small book converts within 16 MB of address space; a cover may add 64.
constexpr int kAddressSpaceKb = (16 + 64) * 1024;

struct CoverCase {
    const char* name;
    const char* seed;   // the cover's file in tests/fuzz/seeds/image
    const char* href;   // what the coverpage names ("c" is the seed's id)
    const char* error;  // the start of the Error line's text; none when empty
    bool thumbnail;
    bool frontPage;
};

void PrintTo(const CoverCase& c, std::ostream* out) { *out << c.name; }

constexpr const char* kTooLarge = "Error: No thumbnail of the cover c: cover of";

const CoverCase kCases[] = {
    {"Gif", "cover_gif_40x30.gif", "c", "", true, true},
    {"Bmp", "cover_bmp_30x40.bmp", "c", "", true, true},
    {"JpegFrameFirst", "cover_jpeg_frame_first.jpg", "c", "", true, true},
    {"GifOf4Megapixels", "cover_gif_2000x2000_one_colour.gif", "c", "", true, true},
    {"BmpOf4MegapixelsWithoutPixels", "cover_bmp_2000x2000_no_pixels.bmp", "c", "", true, true},
    {"GifDeclaring65535x65535", "cover_gif_declares_65535x65535.gif", "c", kTooLarge, false, true},
    {"BmpDeclaring30000x30000", "cover_bmp_declares_30000x30000.bmp", "c", kTooLarge, false, true},
    {"Jpeg4000x4000In3Scans", "cover_jpeg_4000x4000_3_empty_scans.jpg", "c", kTooLarge, false, true},
    {"Jpeg4000x4000In499Scans", "cover_jpeg_4000x4000_499_empty_scans.jpg", "c", kTooLarge, false, true},
    {"ProgressiveJpeg2000x2000In499Scans", "cover_jpeg_progressive_2000x2000_499_empty_scans.jpg", "c", kTooLarge,
     false, true},
    {"Png16000000x1", "cover_png_16000000x1_grey16.png", "c", kTooLarge, false, true},
    {"Png1x4000000", "cover_png_1x4000000_grey8.png", "c", kTooLarge, false, true},
    {"CoverNamingNoImage", "cover_gif_40x30.gif", "none",
     "Error: The cover names no image of the book: none; no cover page", false, false},
};

std::string Book(const std::string& href, const std::vector<uint8_t>& cover) {
    const std::string coverpage = href.empty() ? "" : "<coverpage><image l:href=\"#" + href + "\"/></coverpage>";
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<FictionBook xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\" "
           "xmlns:l=\"http://www.w3.org/1999/xlink\"><description><title-info><genre>prose</genre>"
           "<author><last-name>Quill</last-name></author><book-title>Covers</book-title>" +
           coverpage + "<lang>en</lang></title-info></description><body><section><p>Text.</p></section></body>" +
           "<binary id=\"c\" content-type=\"image/gif\">" + Base64(cover) + "</binary></FictionBook>\n";
}

struct Converted {
    CommandResult run;
    LrfFile book;
};

Converted ConvertLimited(const ScratchDir& dir, const std::string& fb2) {
    const std::string in = dir.file("in.fb2"), out = dir.file("out.lrf");
    WriteFileText(in, fb2);
    fs::remove(out);
    std::string limits = "ulimit -t " + std::to_string(kCpuSeconds);
    if (!kAddressSanitizer) limits += " && ulimit -v " + std::to_string(kAddressSpaceKb);
    Converted c;
    c.run = RunCommand(limits + " && exec " + ShellQuote(TAVORIN_EXE) + " -s " + ShellQuote(DefaultSettingsPath()) +
                       " -i " + ShellQuote(in) + " -o " + ShellQuote(out));
    if (fs::exists(out)) c.book = ReadLrf(ReadFileBytes(out));
    return c;
}

class HostileCoverTest : public ::testing::TestWithParam<CoverCase> {};

TEST_P(HostileCoverTest, StaysWithinLimits) {
    const CoverCase& c = GetParam();
    const auto cover = ReadFileBytes(std::string(TAVORIN_SOURCE_DIR) + "/tests/fuzz/seeds/image/" + c.seed);
    ASSERT_FALSE(cover.empty()) << c.seed;
    ScratchDir dir;
    const size_t pagesWithoutCover = ConvertLimited(dir, Book("", cover)).book.OfType(0x02).size();
    const Converted converted = ConvertLimited(dir, Book(c.href, cover));

    ASSERT_EQ(converted.run.exitCode, 0) << "killed by a limit (152: CPU time) or failed:\n" << converted.run.output;
    const bool errorPrinted = converted.run.output.find("Error:") != std::string::npos;
    if (*c.error) {
        EXPECT_NE(converted.run.output.find(c.error), std::string::npos) << converted.run.output;
    } else {
        EXPECT_FALSE(errorPrinted) << converted.run.output;
    }
    EXPECT_EQ(converted.book.thumbnailType == 17 && converted.book.thumbnailSize > 0, c.thumbnail);
    EXPECT_EQ(converted.book.OfType(0x02).size(), pagesWithoutCover + (c.frontPage ? 1 : 0));
}

INSTANTIATE_TEST_SUITE_P(Covers, HostileCoverTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavorin::test
