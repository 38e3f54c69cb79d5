// Compression and scrambling of streams, and the header and footer stream.
#include <gtest/gtest.h>
#include <zlib.h>

#include "lrf/writer/object_writers.h"
#include "lrf/writer/stream_codec.h"
#include "writer_test_util.h"

namespace tavorin::lrf::test {
namespace {

TEST(ScrambleStream, XorsWithLengthModKeyPlus15AndIsItsOwnInverse) {
    ByteBuffer bytes(100);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
    const ByteBuffer original = bytes;
    ScrambleStream(bytes, 0x30, bytes.size());
    EXPECT_EQ(bytes[0], original[0] ^ (100 % 0x30 + 15));
    EXPECT_EQ(bytes[99], original[99] ^ (100 % 0x30 + 15));
    ScrambleStream(bytes, 0x30, bytes.size());
    EXPECT_EQ(bytes, original);

    ScrambleStream(bytes, 0x30, 10);  // only the first `count` bytes
    EXPECT_NE(bytes[9], original[9]);
    EXPECT_EQ(bytes[10], original[10]);
}

TEST(CompressStream, LengthPrefixThenZlibStream) {
    ByteBuffer bytes = Words({'H', 'e', 'l', 'l', 'o'});
    const ByteBuffer original = bytes;
    Deflater deflater;
    CompressStream(deflater, bytes);
    ASSERT_GT(bytes.size(), 6u);
    EXPECT_EQ(GetU32(bytes, 0), 10u);
    EXPECT_EQ(bytes[4], 0x78);  // zlib header
    ByteBuffer inflated(10);
    uLongf size = 10;
    ASSERT_EQ(uncompress(inflated.data(), &size, bytes.data() + 4, bytes.size() - 4), Z_OK);
    EXPECT_EQ(inflated, original);
}

TEST(HeaderStream, PositionBlockAndRuleLine) {
    HeaderFooterRecord hf;
    hf.x1 = 0;
    hf.y1 = 5;
    hf.blockId = 0x60;
    hf.line = {10, 30, 574, 2, 0x1A, 1};
    const ByteBuffer expected = Words({0xF549, 0, 5, 0x60, 0, 0xF5F5, 10, 30, 0xF5F1, 2, 0xF5F2, 0x1A00, 0x1A1A,
                                       0xF5F4, 16, 0xF5F6, 574, 30});
    EXPECT_EQ(EncodeHeaderStream(hf), expected);

    // Readers take a position only as F549 with the block id: an absent
    // coordinate is written as 0.
    hf.y1 = -1;
    const ByteBuffer stream = EncodeHeaderStream(hf);
    EXPECT_EQ(ByteBuffer(stream.begin(), stream.begin() + 10), Words({0xF549, 0, 0, 0x60, 0}));
}

}  // namespace
}  // namespace tavorin::lrf::test
