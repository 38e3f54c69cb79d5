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
inline constexpr WStringView kBodyTextStyle =
    u"<TextStyle   stylelabel=\"ts_bdy\" align=\"head\" fontfacename=\"Dutch801 Rm BT Roman\" fontsize=\"100\" "
    u"fontwidth=\"-10\" fontweight=\"400\" parindent=\"80\" baselineskip=\"100\" linespace=\"0\" wordspace=\"20\" "
    u"parskip=\"0\" textlinewidth=\"10\" fontescapement=\"0\" fontorientation=\"0\" letterspace=\"0\" charspace=\"0\" "
    u"linecolor=\"0x00000000\" textcolor=\"0x00000000\" rubyalign=\"start\" rubyoverhang=\"none\" rubyadjust=\"none\" "
    u"empdotsposition=\"before\" empdotscode=\"46\" emplineposition=\"before\" emplinetype=\"none\" column=\"1\" "
    u"columnsep=\"0\" autoindex=\"off\"";

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
    void AddTextBlock(const std::string& objid, WStringView text);
    // Ids, linking and writing into `path`; returns the file's bytes.
    std::vector<uint8_t> LinkAndWrite(const std::string& path);

    std::string inputPath;  // where a thumbnail is looked for
};

}  // namespace tavorin::lrf::test
