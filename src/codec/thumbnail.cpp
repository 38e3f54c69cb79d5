// Thumbnails of covers. JPEG covers are decoded by TurboJPEG at the smallest
// of its 1/8, 1/4 and 1/2 scales that still covers the thumbnail; PNG covers
// by libspng a row at a time; GIF and BMP covers by stb_image. The decoded
// rows are averaged into the thumbnail's pixels on the fly, and the result is
// encoded by TurboJPEG.
//
// Every cover's cost is bounded before it is decoded, from its headers
// alone: no side longer than 65,535 pixels (JPEG's own limit; it bounds the
// memory of a row), at most 16 megapixels where the decoder works a row at a
// time, at most 4 megapixels where it holds the whole image (a multi-scan
// JPEG's coefficients, an interlaced PNG, GIF and BMP), and for a multi-scan
// JPEG at most 64 full-frame scans' worth of work, since each scan walks
// every block of its components however little data it holds.
//
// GIF and BMP: stb_image (Debian's libstb-dev) rather than giflib, because
// one well-kept library then decodes both formats, and it reads their sizes
// without decoding (stbi_info_from_memory), which is what the bounds need;
// giflib would decode GIF a row at a time, but BMP would still need
// another library. stb_image decodes the whole first frame into memory, so
// GIF and BMP covers take the whole-image bound.
#include "codec/thumbnail.h"

#include <spng.h>
#include <stb_image.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "codec/image_bytes.h"
#include "codec/image_probe.h"

namespace tavorin {
namespace {

constexpr int kJpegQuality = 85;
// Decoders that hold the whole image (four bytes a pixel for an interlaced
// PNG, two a coefficient for a multi-scan JPEG, nine for stb_image's GIF).
constexpr uint64_t kWholeImageMaxPixels = kThumbnailMaxPixels / 4;
// The longest side decoded: a row of it costs a few hundred kilobytes.
constexpr uint64_t kMaxSide = 65'535;
// A multi-scan JPEG: the sum over its scans of the frame's pixels.
constexpr uint64_t kMaxScanPixels = 64 * kWholeImageMaxPixels;
// Text and other ancillary chunks are not needed; their size is bounded.
constexpr size_t kPngChunkLimit = 4u << 20;

// Averages source rows (RGB or RGBA over white) into the thumbnail: each
// thumbnail pixel is the mean of the source pixels that fall on it.
class BoxScaler {
public:
    BoxScaler(int sourceWidth, int sourceHeight, int width, int height)
        : sw_(sourceWidth), sh_(sourceHeight), w_(width), h_(height),
          sums_(static_cast<size_t>(width) * 4), pixels_(static_cast<size_t>(width) * height * 3) {}

    void AddRow(const uint8_t* row, int channels) {
        const int target = static_cast<int>(static_cast<int64_t>(y_) * h_ / sh_);
        if (target != row_) Flush();
        row_ = target;
        // Source column x falls on thumbnail column x * w / sw: stepped
        // without a division per pixel.
        uint32_t* sum = sums_.data();
        int64_t scaled = 0, nextColumn = sw_;
        for (int x = 0; x < sw_; ++x, scaled += w_) {
            while (scaled >= nextColumn) {
                sum += 4;
                nextColumn += sw_;
            }
            const uint8_t* p = row + static_cast<size_t>(x) * channels;
            const uint32_t alpha = channels == 4 ? p[3] : 255;
            for (int c = 0; c < 3; ++c) sum[c] += (p[c] * alpha + 255 * (255 - alpha)) / 255;
            ++sum[3];
        }
        ++y_;
    }

    std::vector<uint8_t>& Finish() {
        Flush();
        return pixels_;
    }

private:
    void Flush() {
        if (row_ < 0) return;
        for (int x = 0; x < w_; ++x) {
            uint32_t* sum = &sums_[static_cast<size_t>(x) * 4];
            for (int c = 0; c < 3; ++c) {
                pixels_[(static_cast<size_t>(row_) * w_ + x) * 3 + c] =
                    static_cast<uint8_t>(sum[3] == 0 ? 255 : (sum[c] + sum[3] / 2) / sum[3]);
            }
            std::fill_n(sum, 4, 0);
        }
        row_ = -1;
    }

    int sw_, sh_, w_, h_;
    int y_ = 0, row_ = -1;
    std::vector<uint32_t> sums_;
    std::vector<uint8_t> pixels_;
};

struct TjFree {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using TjHandle = std::unique_ptr<void, TjFree>;

struct JpegScans {
    bool progressive = false;  // SOF2, SOF6, SOF10 or SOF14
    uint64_t scans = 0;        // start-of-scan segments
};

// The frame kind and the number of scans, from the markers alone: a walk of
// the segments that steps over each scan's coded data to the next marker
// (FF followed by anything but a stuffed 00, a restart marker or fill), and
// over stray bytes between segments as the decoder does. Linear in the data.
JpegScans CountJpegScans(std::span<const uint8_t> data) {
    JpegScans found;
    for (size_t at = 2; at + 4 <= data.size();) {
        const uint8_t marker = data[at + 1];
        if (data[at] != 0xFF || marker == 0xFF) {
            ++at;
            continue;
        }
        if (marker == 0xD9) break;  // end of image
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {  // no length
            at += 2;
            continue;
        }
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            found.progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
        }
        at += 2 + ReadBigEndian16(&data[at + 2]);
        if (marker != 0xDA) continue;
        ++found.scans;
        for (; at + 1 < data.size(); ++at) {
            const uint8_t next = data[at + 1];
            if (data[at] == 0xFF && next != 0x00 && next != 0xFF && (next < 0xD0 || next > 0xD7)) break;
        }
    }
    return found;
}

bool TooLarge(uint64_t width, uint64_t height, uint64_t limit, std::string& error) {
    if (width <= kMaxSide && height <= kMaxSide && width * height <= limit) return false;
    error = "cover of " + std::to_string(width) + "x" + std::to_string(height) + " pixels is too large to decode";
    return true;
}

bool DecodeJpeg(std::span<const uint8_t> data, int& fitWidth, int& fitHeight, std::vector<uint8_t>& pixels,
                std::string& error) {
    TjHandle tj(tjInitDecompress());
    if (!tj) {
        error = "TurboJPEG cannot start";
        return false;
    }
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (tjDecompressHeader3(tj.get(), data.data(), data.size(), &width, &height, &subsampling, &colourspace) != 0) {
        error = tjGetErrorStr2(tj.get());
        return false;
    }
    if (width < 1 || height < 1) {
        error = "the cover has no size";
        return false;
    }
    // A progressive JPEG, or a sequential one of more than one scan, is
    // decoded into a buffer of the whole frame's coefficients, at any scale.
    const JpegScans layout = CountJpegScans(data);
    const bool multiScan = layout.progressive || layout.scans > 1;
    if (TooLarge(width, height, multiScan ? kWholeImageMaxPixels : kThumbnailMaxPixels, error)) return false;
    if (multiScan && layout.scans * width * height > kMaxScanPixels) {
        error = "cover of " + std::to_string(width) + "x" + std::to_string(height) + " pixels in " +
                std::to_string(layout.scans) + " scans is too costly to decode";
        return false;
    }
    ThumbnailSize(width, height, fitWidth, fitHeight);
    // The smallest scale whose image still has at least the thumbnail's pixels.
    int count = 0;
    const tjscalingfactor* factors = tjGetScalingFactors(&count);
    tjscalingfactor scale{1, 1};
    for (int i = 0; i < count; ++i) {
        const tjscalingfactor f = factors[i];
        if (f.num > f.denom || TJSCALED(width, f) < fitWidth || TJSCALED(height, f) < fitHeight) continue;
        if (f.num * scale.denom < scale.num * f.denom) scale = f;
    }
    const int decodedWidth = TJSCALED(width, scale), decodedHeight = TJSCALED(height, scale);
    std::vector<uint8_t> decoded(static_cast<size_t>(decodedWidth) * decodedHeight * 3);
    // A progressive JPEG of very many scans takes long to decode: at most 500.
    if (tjDecompress2(tj.get(), data.data(), data.size(), decoded.data(), decodedWidth, 0, decodedHeight, TJPF_RGB,
                      TJFLAG_LIMITSCANS) != 0 &&
        tjGetErrorCode(tj.get()) != TJERR_WARNING) {  // a damaged tail still gives a picture
        error = tjGetErrorStr2(tj.get());
        return false;
    }
    BoxScaler scaler(decodedWidth, decodedHeight, fitWidth, fitHeight);
    for (int y = 0; y < decodedHeight; ++y) scaler.AddRow(&decoded[static_cast<size_t>(y) * decodedWidth * 3], 3);
    pixels = std::move(scaler.Finish());
    return true;
}

struct SpngFree {
    void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};

bool SpngFailed(int status, std::string& error) {
    if (status == 0) return false;
    error = spng_strerror(status);
    return true;
}

bool DecodePng(std::span<const uint8_t> data, int& fitWidth, int& fitHeight, std::vector<uint8_t>& pixels,
               std::string& error) {
    std::unique_ptr<spng_ctx, SpngFree> ctx(spng_ctx_new(0));
    if (!ctx) {
        error = "libspng cannot start";
        return false;
    }
    spng_set_chunk_limits(ctx.get(), kPngChunkLimit, kPngChunkLimit);
    spng_ihdr ihdr{};
    if (SpngFailed(spng_set_png_buffer(ctx.get(), data.data(), data.size()), error) ||
        SpngFailed(spng_get_ihdr(ctx.get(), &ihdr), error)) {
        return false;
    }
    const uint64_t limit = ihdr.interlace_method != 0 ? kWholeImageMaxPixels : kThumbnailMaxPixels;
    if (TooLarge(ihdr.width, ihdr.height, limit, error)) return false;
    const int width = static_cast<int>(ihdr.width), height = static_cast<int>(ihdr.height);
    ThumbnailSize(width, height, fitWidth, fitHeight);
    BoxScaler scaler(width, height, fitWidth, fitHeight);
    size_t size = 0;
    if (SpngFailed(spng_decoded_image_size(ctx.get(), SPNG_FMT_RGBA8, &size), error)) return false;
    const size_t rowSize = static_cast<size_t>(width) * 4;
    if (ihdr.interlace_method != 0) {
        std::vector<uint8_t> image(size);
        if (SpngFailed(spng_decode_image(ctx.get(), image.data(), size, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS), error))
            return false;
        for (int y = 0; y < height; ++y) scaler.AddRow(&image[y * rowSize], 4);
    } else {
        if (SpngFailed(spng_decode_image(ctx.get(), nullptr, 0, SPNG_FMT_RGBA8,
                                         SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE),
                       error))
            return false;
        std::vector<uint8_t> row(rowSize);
        for (int y = 0; y < height; ++y) {
            const int status = spng_decode_row(ctx.get(), row.data(), row.size());
            if (status != 0 && status != SPNG_EOI) return !SpngFailed(status, error);
            scaler.AddRow(row.data(), 4);
        }
    }
    pixels = std::move(scaler.Finish());
    return true;
}

struct StbFree {
    void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

std::string StbError() {
    const char* reason = stbi_failure_reason();
    return reason != nullptr && *reason != 0 ? reason : "stb_image cannot decode it";
}

// GIF (its first frame, on the logical screen) and BMP, by stb_image into
// RGBA; the size its headers give is bounded before anything is decoded.
bool DecodeGifOrBmp(std::span<const uint8_t> data, int& fitWidth, int& fitHeight, std::vector<uint8_t>& pixels,
                    std::string& error) {
    if (data.size() > static_cast<size_t>(INT32_MAX)) {
        error = "the cover is too large to decode";
        return false;
    }
    const int length = static_cast<int>(data.size());
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(data.data(), length, &width, &height, &channels)) {
        error = StbError();
        return false;
    }
    if (width < 1 || height < 1) {
        error = "the cover has no size";
        return false;
    }
    if (TooLarge(width, height, kWholeImageMaxPixels, error)) return false;
    std::unique_ptr<stbi_uc, StbFree> image(stbi_load_from_memory(data.data(), length, &width, &height, &channels, 4));
    if (!image) {
        error = StbError();
        return false;
    }
    ThumbnailSize(width, height, fitWidth, fitHeight);
    BoxScaler scaler(width, height, fitWidth, fitHeight);
    const size_t rowSize = static_cast<size_t>(width) * 4;
    for (int y = 0; y < height; ++y) scaler.AddRow(image.get() + y * rowSize, 4);
    pixels = std::move(scaler.Finish());
    return true;
}

}  // namespace

void ThumbnailSize(int width, int height, int& fitWidth, int& fitHeight) {
    fitWidth = width;
    fitHeight = height;
    if (width <= kThumbnailWidth && height <= kThumbnailHeight) return;
    if (int64_t{kThumbnailWidth} * height <= int64_t{kThumbnailHeight} * width) {
        fitWidth = kThumbnailWidth;
        fitHeight = static_cast<int>(std::lround(static_cast<double>(kThumbnailWidth) * height / width));
    } else {
        fitHeight = kThumbnailHeight;
        fitWidth = static_cast<int>(std::lround(static_cast<double>(kThumbnailHeight) * width / height));
    }
    fitWidth = std::max(fitWidth, 1);
    fitHeight = std::max(fitHeight, 1);
}

bool MakeThumbnail(std::span<const uint8_t> image, Thumbnail& out, std::string& error) {
    std::vector<uint8_t> pixels;
    int width = 0, height = 0;
    bool decoded = false;
    const std::string_view type = SniffImageType(image);
    if (type == "JPEG") {
        decoded = DecodeJpeg(image, width, height, pixels, error);
    } else if (type == "PNG") {
        decoded = DecodePng(image, width, height, pixels, error);
    } else if (type == "GIF" || type == "BMP") {
        decoded = DecodeGifOrBmp(image, width, height, pixels, error);
    } else {
        error = "not a JPEG, PNG, GIF or BMP image";
    }
    if (!decoded) return false;

    TjHandle tj(tjInitCompress());
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    if (!tj || tjCompress2(tj.get(), pixels.data(), width, 0, height, TJPF_RGB, &jpeg, &size, TJSAMP_420,
                           kJpegQuality, 0) != 0) {
        error = tj ? tjGetErrorStr2(tj.get()) : "TurboJPEG cannot start";
        tjFree(jpeg);
        return false;
    }
    out.jpeg.assign(jpeg, jpeg + size);
    out.width = width;
    out.height = height;
    tjFree(jpeg);
    return true;
}

}  // namespace tavorin
