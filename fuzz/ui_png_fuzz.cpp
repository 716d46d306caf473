// libFuzzer target: PNG decoding to premultiplied BGRA. Each input is decoded
// as it is, and once more with its chunk checksums made right, so that the
// mutations reach the decoder behind the checksum test.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ui/image.h"

namespace {

void check(const uint8_t* data, size_t size) {
    ui_image image;
    if (!ui_decode_image(data, size, image)) return;
    if (image.pixels.size() != size_t(image.width) * size_t(image.height)) __builtin_trap();
    // Every pixel is premultiplied: no colour above its alpha.
    for (uint32_t px : image.pixels) {
        uint32_t a = px >> 24;
        if (((px >> 16) & 0xFF) > a || ((px >> 8) & 0xFF) > a || (px & 0xFF) > a) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    check(data, size);
    if (size < 8) return 0;
    std::vector<uint8_t> fixed(data, data + size);
    size_t at = 8;
    while (fixed.size() - at >= 12) {
        uint32_t len = uint32_t(fixed[at]) << 24 | uint32_t(fixed[at + 1]) << 16 | uint32_t(fixed[at + 2]) << 8 |
                       fixed[at + 3];
        if (len > fixed.size() - at - 12) break;
        uLong crc = crc32(0L, fixed.data() + at + 4, len + 4);
        for (int i = 0; i < 4; ++i) fixed[at + 8 + len + i] = uint8_t(crc >> (24 - 8 * i));
        at += 12 + size_t(len);
    }
    check(fixed.data(), fixed.size());
    return 0;
}
