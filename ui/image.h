// Skin images: PNG bytes decoded to premultiplied BGRA.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A 32-bit top-down image, pixels 0xAARRGGBB (bytes B, G, R, A), colours
// premultiplied by alpha.
struct ui_image {
    int32_t width = 0;
    int32_t height = 0;
    bool has_alpha = false;   // some pixel has alpha below 255
    std::vector<uint32_t> pixels;
};

// Larger images are refused before anything is allocated for their pixels.
constexpr int64_t kMaxImagePixels = 16 * 1024 * 1024;
constexpr int32_t kMaxImageSide = 16384;

// Decodes PNG (or any format the decoder knows) into out. False for bad data,
// and for an image whose header claims more than the limits above.
bool ui_decode_image(const uint8_t* data, size_t size, ui_image& out);

// One RGBA pixel to a premultiplied BGRA pixel: colours copied when alpha is
// 255, else each multiplied by alpha / 255 (integer division).
uint32_t ui_premultiply(uint8_t r, uint8_t g, uint8_t b, uint8_t a);
