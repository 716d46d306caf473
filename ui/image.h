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

    // Runs of each row with the same kind of alpha, so that drawing can copy
    // opaque runs and skip transparent ones instead of blending every pixel.
    // Filled by ui_index_runs (ui_decode_image does it); empty: not indexed.
    enum run_kind : uint8_t { transparent, opaque, mixed };
    struct run {
        int32_t start;
        int32_t length;
        run_kind kind;
    };
    std::vector<run> runs;
    std::vector<uint32_t> row_runs;   // index of each row's first run; height + 1 entries
};

// Builds image.runs and image.row_runs from the pixels.
void ui_index_runs(ui_image& image);

// Larger images are refused before anything is allocated for their pixels.
constexpr int64_t kMaxImagePixels = 16 * 1024 * 1024;
constexpr int32_t kMaxImageSide = 16384;

// Decodes PNG (or any format the decoder knows) into out. False for bad data,
// and for an image whose header claims more than the limits above.
bool ui_decode_image(const uint8_t* data, size_t size, ui_image& out);

// One RGBA pixel to a premultiplied BGRA pixel: colours copied when alpha is
// 255, else each multiplied by alpha / 255 (integer division).
uint32_t ui_premultiply(uint8_t r, uint8_t g, uint8_t b, uint8_t a);
