// The library thumbnail of a book: its cover, decoded at reduced size, scaled
// to fit a 60 by 80 box with its aspect kept, and encoded as JPEG.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tavorin {

inline constexpr int kThumbnailWidth = 60;
inline constexpr int kThumbnailHeight = 80;

// Covers with more pixels than this are not decoded: the work (and, where
// the decoder holds the whole image, the memory) of decoding grows with the
// declared size. Decoders that hold the whole image get a quarter of it.
inline constexpr uint64_t kThumbnailMaxPixels = 16'000'000;

struct Thumbnail {
    std::vector<uint8_t> jpeg;
    int width = 0;
    int height = 0;
};

// Makes the thumbnail of JPEG, PNG, GIF or BMP data. False, with the reason in
// `error`, when the data cannot be decoded or is too large.
bool MakeThumbnail(std::span<const uint8_t> image, Thumbnail& out, std::string& error);

// The size that fits `width` x `height` into the thumbnail box, aspect kept,
// never enlarged; each side at least 1.
void ThumbnailSize(int width, int height, int& fitWidth, int& fitHeight);

}  // namespace tavorin
