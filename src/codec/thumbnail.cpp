// Thumbnails of covers. JPEG covers are decoded by TurboJPEG at the smallest
// of its 1/8, 1/4 and 1/2 scales that still covers the thumbnail; PNG covers
// by libspng a row at a time (interlaced ones whole, within a smaller bound).
// The decoded rows are averaged into the thumbnail's pixels on the fly, so
// memory stays near one decoded row plus the thumbnail, and the result is
// encoded by TurboJPEG.
#include "codec/thumbnail.h"

#include <spng.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "codec/image_bytes.h"

namespace tavorin {
namespace {

constexpr int kJpegQuality = 85;
// An interlaced PNG is decoded whole: four bytes a pixel.
constexpr uint64_t kInterlacedMaxPixels = 4'000'000;
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
        for (int x = 0; x < sw_; ++x) {
            const uint8_t* p = row + static_cast<size_t>(x) * channels;
            const uint32_t alpha = channels == 4 ? p[3] : 255;
            uint32_t* sum = &sums_[static_cast<size_t>(static_cast<int64_t>(x) * w_ / sw_) * 4];
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

// True when the JPEG's frame is progressive (SOF2, SOF6, SOF10, SOF14): its
// decoder keeps the coefficients of the whole image in memory.
bool IsProgressiveJpeg(std::span<const uint8_t> data) {
    for (size_t at = 2; at + 4 <= data.size();) {
        if (data[at] != 0xFF) return false;
        const uint8_t marker = data[at + 1];
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            return marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
        }
        at += 2 + ReadBigEndian16(&data[at + 2]);
    }
    return false;
}

bool TooLarge(uint64_t width, uint64_t height, uint64_t limit, std::string& error) {
    if (width * height <= limit) return false;
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
    const uint64_t limit = IsProgressiveJpeg(data) ? kThumbnailMaxPixels / 4 : kThumbnailMaxPixels;
    if (width < 1 || height < 1) {
        error = "the cover has no size";
        return false;
    }
    if (TooLarge(width, height, limit, error)) return false;
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
    const uint64_t limit = ihdr.interlace_method != 0 ? kInterlacedMaxPixels : kThumbnailMaxPixels;
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
    if (StartsWithBytes(image, "\xFF\xD8\xFF")) {
        decoded = DecodeJpeg(image, width, height, pixels, error);
    } else if (StartsWithBytes(image, "\x89PNG")) {
        decoded = DecodePng(image, width, height, pixels, error);
    } else {
        error = "not a JPEG or PNG image";
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
