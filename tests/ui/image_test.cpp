// PNG decoding to premultiplied BGRA, and refusal of damaged or oversized PNGs.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstring>

#include "tests/ui/ui_test_support.h"
#include "ui/image.h"

namespace {

using uitest::scratch_dir;

TEST(Premultiply, ColoursScaleByAlphaWithIntegerDivision) {
    struct Case {
        uint8_t r, g, b, a;
        uint32_t bgra;
    } cases[] = {
        {200, 100, 50, 255, 0xFFC86432},   // opaque: copied
        {200, 100, 50, 128, 0x80643219},   // 200*128/255=100, 100*128/255=50, 50*128/255=25
        {255, 255, 255, 1, 0x01010101},
        {254, 254, 254, 1, 0x01000000},    // truncating division
        {255, 0, 0, 0, 0x00000000},        // fully transparent: all zero
        {10, 20, 30, 254, 0xFE09131D},     // 10*254/255=9, 20*254/255=19, 30*254/255=29
    };
    for (const auto& c : cases)
        EXPECT_EQ(ui_premultiply(c.r, c.g, c.b, c.a), c.bgra) << int(c.a);
}

TEST(DecodeImage, RealPngsDecodeToPremultipliedBgra) {
    scratch_dir dir;
    // 2x2: opaque red, half-transparent green, transparent blue, opaque black.
    std::vector<uint8_t> rgba = {255, 0, 0, 255, 0, 200, 0, 128, 0, 0, 255, 0, 0, 0, 0, 255};
    std::vector<uint8_t> png = uitest::make_png(dir, 2, 2, rgba);
    ui_image img;
    ASSERT_TRUE(ui_decode_image(png.data(), png.size(), img));
    EXPECT_EQ(img.width, 2);
    EXPECT_EQ(img.height, 2);
    EXPECT_TRUE(img.has_alpha);
    ASSERT_EQ(img.pixels.size(), 4u);
    EXPECT_EQ(img.pixels[0], 0xFFFF0000u);
    EXPECT_EQ(img.pixels[1], 0x80006400u);   // 200*128/255 = 100
    EXPECT_EQ(img.pixels[2], 0x00000000u);
    EXPECT_EQ(img.pixels[3], 0xFF000000u);

    std::vector<uint8_t> opaque = uitest::make_solid_png(dir, 3, 1, 10, 20, 30, 255, false);
    ui_image o;
    ASSERT_TRUE(ui_decode_image(opaque.data(), opaque.size(), o));
    EXPECT_FALSE(o.has_alpha);
    EXPECT_EQ(o.pixels, std::vector<uint32_t>(3, 0xFF0A141Eu));

    // An RGBA PNG whose pixels are all opaque has no alpha either.
    std::vector<uint8_t> rgba_opaque = uitest::make_solid_png(dir, 2, 2, 1, 2, 3, 255, true);
    ui_image ro;
    ASSERT_TRUE(ui_decode_image(rgba_opaque.data(), rgba_opaque.size(), ro));
    EXPECT_FALSE(ro.has_alpha);
}

// Rebuilds the chunk CRC after a patch, so only the intended fault remains.
void fix_crc(std::vector<uint8_t>& png, size_t chunk) {
    uint32_t len = uint32_t(png[chunk]) << 24 | uint32_t(png[chunk + 1]) << 16 | uint32_t(png[chunk + 2]) << 8 | png[chunk + 3];
    uLong crc = crc32(0L, png.data() + chunk + 4, len + 4);
    for (int i = 0; i < 4; ++i) png[chunk + 8 + len + i] = uint8_t(crc >> (24 - 8 * i));
}

TEST(DecodeImage, DamagedPngsAreRefused) {
    scratch_dir dir;
    std::vector<uint8_t> rgba(16 * 16 * 4);
    for (size_t i = 0; i < rgba.size(); ++i) rgba[i] = uint8_t(i * 7);
    const std::vector<uint8_t> good = uitest::make_png(dir, 16, 16, rgba);
    ui_image img;
    ASSERT_TRUE(ui_decode_image(good.data(), good.size(), img));

    std::vector<std::pair<const char*, std::vector<uint8_t>>> cases;
    cases.push_back({"empty", {}});
    cases.push_back({"signature only", std::vector<uint8_t>(good.begin(), good.begin() + 8)});
    for (size_t cut : {size_t(20), size_t(33), good.size() / 2, good.size() - 12, good.size() - 1})
        cases.push_back({"truncated", std::vector<uint8_t>(good.begin(), good.begin() + cut)});
    {
        std::vector<uint8_t> bad(good);
        bad[8 + 8 + 2] ^= 1;   // a bit of the width: the IHDR checksum no longer matches
        cases.push_back({"bad IHDR checksum", bad});
    }
    {
        std::vector<uint8_t> bad(good);
        bad.at(bad.size() - 20) ^= 0xFF;   // inside the image data: its checksum fails
        cases.push_back({"bad IDAT checksum", bad});
    }
    {
        std::vector<uint8_t> bad(good);
        bad[0] = 'X';
        cases.push_back({"not a PNG", bad});
    }
    {
        std::vector<uint8_t> bad(good);
        bad[8 + 8 + 8] = 3;   // bit depth 3 does not exist; checksum made right
        fix_crc(bad, 8);
        cases.push_back({"invalid bit depth", bad});
    }
    for (const auto& c : cases) {
        ui_image out;
        EXPECT_FALSE(ui_decode_image(c.second.empty() ? nullptr : c.second.data(), c.second.size(), out)) << c.first;
        EXPECT_TRUE(out.pixels.empty()) << c.first;
    }
}

// A valid PNG header claiming width x height, with a token IDAT.
std::vector<uint8_t> claimed_png(uint32_t width, uint32_t height) {
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto chunk = [&png](const char* type, const std::vector<uint8_t>& data) {
        uint32_t len = uint32_t(data.size());
        for (int i = 0; i < 4; ++i) png.push_back(uint8_t(len >> (24 - 8 * i)));
        size_t start = png.size();
        png.insert(png.end(), type, type + 4);
        png.insert(png.end(), data.begin(), data.end());
        uLong crc = crc32(0L, png.data() + start, len + 4);
        for (int i = 0; i < 4; ++i) png.push_back(uint8_t(crc >> (24 - 8 * i)));
    };
    std::vector<uint8_t> ihdr;
    for (uint32_t v : {width, height})
        for (int i = 0; i < 4; ++i) ihdr.push_back(uint8_t(v >> (24 - 8 * i)));
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});   // 8-bit RGBA
    chunk("IHDR", ihdr);
    // Real pixel rows for a small image; a token for the huge claims.
    uint64_t rows = uint64_t(height) * (1 + 4 * uint64_t(width));
    std::vector<uint8_t> raw(rows <= 4096 ? size_t(rows) : 64, 0x7F);
    for (size_t r = 0; rows <= 4096 && r < height; ++r) raw[r * (1 + 4 * width)] = 0;   // filter type none
    uLongf zlen = compressBound(uLong(raw.size()));
    std::vector<uint8_t> z(zlen);
    compress(z.data(), &zlen, raw.data(), uLong(raw.size()));
    z.resize(zlen);
    chunk("IDAT", z);
    chunk("IEND", {});
    return png;
}

// A complete, valid 8-bit grayscale PNG of width x height (all black).
std::vector<uint8_t> gray_png(uint32_t width, uint32_t height) {
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto chunk = [&png](const char* type, const std::vector<uint8_t>& data) {
        uint32_t len = uint32_t(data.size());
        for (int i = 0; i < 4; ++i) png.push_back(uint8_t(len >> (24 - 8 * i)));
        size_t start = png.size();
        png.insert(png.end(), type, type + 4);
        png.insert(png.end(), data.begin(), data.end());
        uLong crc = crc32(0L, png.data() + start, len + 4);
        for (int i = 0; i < 4; ++i) png.push_back(uint8_t(crc >> (24 - 8 * i)));
    };
    std::vector<uint8_t> ihdr;
    for (uint32_t v : {width, height})
        for (int i = 0; i < 4; ++i) ihdr.push_back(uint8_t(v >> (24 - 8 * i)));
    ihdr.insert(ihdr.end(), {8, 0, 0, 0, 0});
    chunk("IHDR", ihdr);
    std::vector<uint8_t> raw(size_t(height) * (1 + width), 0);   // filter byte 0 and black pixels
    uLongf zlen = compressBound(uLong(raw.size()));
    std::vector<uint8_t> z(zlen);
    compress(z.data(), &zlen, raw.data(), uLong(raw.size()));
    z.resize(zlen);
    chunk("IDAT", z);
    chunk("IEND", {});
    return png;
}

TEST(DecodeImage, ValidImageOverThePixelLimitIsRefused) {
    // Each side is within the decoder's own limit; together they are over ours.
    std::vector<uint8_t> over = gray_png(4100, 4100);
    ui_image out;
    EXPECT_FALSE(ui_decode_image(over.data(), over.size(), out));
    std::vector<uint8_t> under = gray_png(4000, 8);
    ASSERT_TRUE(ui_decode_image(under.data(), under.size(), out));
    EXPECT_EQ(out.pixels[0], 0xFF000000u);
}

TEST(DecodeImage, HugeClaimedSizesAreRefusedBeforeAllocation) {
    struct Case {
        uint32_t w, h;
    } cases[] = {
        {100000, 100000}, {kMaxImageSide + 1, 1}, {1, kMaxImageSide + 1}, {8192, 4097}, {0x7FFFFFFF, 1}, {0, 10},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> png = claimed_png(c.w, c.h);
        ui_image out;
        EXPECT_FALSE(ui_decode_image(png.data(), png.size(), out)) << c.w << "x" << c.h;
    }
    // The same construction with a size within the limits decodes.
    std::vector<uint8_t> small = claimed_png(4, 4);
    ui_image out;
    ASSERT_TRUE(ui_decode_image(small.data(), small.size(), out));
    EXPECT_EQ(out.pixels.size(), 16u);
    EXPECT_EQ(out.pixels[0], ui_premultiply(0x7F, 0x7F, 0x7F, 0x7F));
}

}  // namespace
