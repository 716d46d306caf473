#include "ui/image.h"

#include <zlib.h>

#include <cstring>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_MAX_DIMENSIONS 16384
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#endif
#include <stb/stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

static_assert(STBI_MAX_DIMENSIONS == kMaxImageSide, "the decoder's own limit matches ours");

namespace {

uint32_t be32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

// The decoder ignores chunk checksums; a skin image that fails them is
// damaged, so it is refused here, along with a broken chunk structure.
bool png_chunks_intact(const uint8_t* data, size_t size) {
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size < 8 || std::memcmp(data, signature, 8) != 0) return false;
    size_t at = 8;
    while (size - at >= 12) {
        uint32_t length = be32(data + at);
        if (length > size - at - 12) return false;
        const uint8_t* type = data + at + 4;
        uLong crc = crc32(0L, type, static_cast<uInt>(length + 4));
        if (crc != be32(data + at + 8 + length)) return false;
        at += 12 + static_cast<size_t>(length);
        if (std::memcmp(type, "IEND", 4) == 0) return true;
    }
    return false;
}

}  // namespace

uint32_t ui_premultiply(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    if (a != 255) {
        r = static_cast<uint8_t>(r * a / 255);
        g = static_cast<uint8_t>(g * a / 255);
        b = static_cast<uint8_t>(b * a / 255);
    }
    return (static_cast<uint32_t>(a) << 24) | (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | b;
}

bool ui_decode_image(const uint8_t* data, size_t size, ui_image& out) {
    out = ui_image();
    if (!data || size == 0 || size > static_cast<size_t>(INT32_MAX)) return false;
    if (!png_chunks_intact(data, size)) return false;
    int w = 0, h = 0, comp = 0;
    const int len = static_cast<int>(size);
    // Refuse what the header claims before the decoder allocates for it.
    if (!stbi_info_from_memory(data, len, &w, &h, &comp)) return false;
    if (w <= 0 || h <= 0 || w > kMaxImageSide || h > kMaxImageSide ||
        static_cast<int64_t>(w) * h > kMaxImagePixels)
        return false;
    unsigned char* rgba = stbi_load_from_memory(data, len, &w, &h, &comp, 4);
    if (!rgba) return false;
    out.width = w;
    out.height = h;
    out.pixels.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
    const unsigned char* p = rgba;
    bool alpha = false;
    for (uint32_t& px : out.pixels) {
        px = ui_premultiply(p[0], p[1], p[2], p[3]);
        alpha |= p[3] != 255;
        p += 4;
    }
    out.has_alpha = alpha;
    stbi_image_free(rgba);
    ui_index_runs(out);
    return true;
}

void ui_index_runs(ui_image& image) {
    image.runs.clear();
    image.row_runs.clear();
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height))
        return;
    // A short stretch of opaque or clear pixels between blended ones is not
    // worth a run of its own.
    constexpr int32_t kMinRun = 8;
    image.row_runs.reserve(static_cast<size_t>(image.height) + 1);
    for (int32_t y = 0; y < image.height; ++y) {
        image.row_runs.push_back(static_cast<uint32_t>(image.runs.size()));
        const uint32_t* row = image.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(image.width);
        auto kind_of = [](uint32_t px) {
            uint32_t a = px >> 24;
            return a == 255 ? ui_image::opaque : (px == 0 ? ui_image::transparent : ui_image::mixed);
        };
        int32_t x = 0;
        while (x < image.width) {
            ui_image::run_kind kind = kind_of(row[x]);
            int32_t end = x + 1;
            while (end < image.width && kind_of(row[end]) == kind) ++end;
            if (kind != ui_image::mixed && end - x < kMinRun) kind = ui_image::mixed;
            // Merge with a previous mixed run of this row.
            if (kind == ui_image::mixed && image.runs.size() > image.row_runs.back() &&
                image.runs.back().kind == ui_image::mixed) {
                image.runs.back().length += end - x;
            } else {
                image.runs.push_back(ui_image::run{x, end - x, kind});
            }
            x = end;
        }
    }
    image.row_runs.push_back(static_cast<uint32_t>(image.runs.size()));
}
