// Base64 decoding and image probing: decoded bytes, and the raw input itself
// (so that the fuzzer can shape PNG, JPEG, GIF and BMP headers directly), go through the
// type sniffing, the size probe, the palette fix, which must stay inside the
// data and never change its length, and the thumbnail of a cover.
#include <span>
#include <string_view>
#include <vector>

#include "codec/base64.h"
#include "codec/image_probe.h"
#include "codec/thumbnail.h"
#include "fuzz_target.h"

namespace tavorin::fuzz::image {

inline void Inspect(std::vector<uint8_t> bytes) {
    SniffImageType(bytes);
    const ImageSize size = ProbeImageSize(bytes);
    TAVORIN_FUZZ_CHECK(size.width >= 0 && size.height >= 0);
    const size_t length = bytes.size();
    FixPngTransparency(bytes, 0xFFFFFF);
    TAVORIN_FUZZ_CHECK(bytes.size() == length);
    Thumbnail thumbnail;
    std::string error;
    const bool made = MakeThumbnail(bytes, thumbnail, error);
    TAVORIN_FUZZ_CHECK(made == error.empty() && made == (thumbnail.width > 0 && thumbnail.width <= kThumbnailWidth &&
                                                         thumbnail.height > 0 && thumbnail.height <= kThumbnailHeight));
}

inline int Probe(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Inspect(Base64Decode(text));
    Inspect(std::vector<uint8_t>(data, data + size));
    return 0;
}

}  // namespace tavorin::fuzz::image

TAVORIN_FUZZ_TARGET(FuzzImage) { return tavorin::fuzz::image::Probe(data, size); }
