// Helpers of the writer tests: byte builders and small books made through the
// element builders.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "lrf/store/builders.h"
#include "lrf/store/object_store.h"
#include "lrf/store_fixture.h"
#include "lrf/writer/file_writer.h"
#include "lrf/writer/linking.h"
#include "text/exit_codes.h"
#include "support/lrf_check.h"
#include "support/test_util.h"

namespace tavorin::lrf::test {

using tavorin::test::ScratchDir;

// Little-endian bytes of 16-bit words, the way streams are written.
inline std::vector<uint8_t> Words(std::initializer_list<uint32_t> words) {
    std::vector<uint8_t> b;
    for (const uint32_t w : words) {
        b.push_back(static_cast<uint8_t>(w));
        b.push_back(static_cast<uint8_t>(w >> 8));
    }
    return b;
}

// A text style as the style definitions make it for body text.
std::vector<TagValue> BodyTextStyle();

// A book being built in the test: its store and console (StoreTest), with
// helpers that build the common parts.
class WriterTest : public StoreTest {
protected:
    // An empty store with the book setting and the metadata of a small book.
    void StartBook();
    // The page styles, block styles and text styles of a small book: ps_main,
    // ps_front; bs_bdy, bs_hdr; ts_bdy, ts_hdr.
    void BuildTestStyles();
    // A text block (block wrapper + text block) with the body styles.
    uint32_t AddTextBlock(const TextContent& content);
    // A page of the main page style with this header and footer on both sides.
    void AddPage(uint32_t header = kNoRecord, uint32_t footer = kNoRecord);
    // An image block of the body block style showing a w x h image whole.
    uint32_t AddImageBlock(uint32_t stream, int w, int h);
    // A header or footer at (0, y) showing block `block`, with a rule line.
    uint32_t AddHeaderFooter(ElementKind kind, uint32_t block, int16_t y);
    // Ids, linking and writing into `path`; returns the file's bytes.
    std::vector<uint8_t> LinkAndWrite(const std::string& path);

    std::string inputPath;  // where a thumbnail is looked for
};

}  // namespace tavorin::lrf::test
