#include "config/tea.h"

const char kConfigKey[] = "5a1e7b09c4d3f2a18e6b0d9c7f3a2e41";

namespace {

constexpr uint32_t kDelta = 0x9E3779B9u;
constexpr int kRounds = 8;
constexpr uint32_t kSumStart = kDelta * kRounds;  // 0xF1BBCDC8 modulo 2^32

uint32_t load_le(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void store_le(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

struct key_words {
    uint32_t k[4];
    explicit key_words(const char* key) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(key);
        for (int i = 0; i < 4; ++i) k[i] = load_le(bytes + 4 * i);
    }
};

}  // namespace

void TeaDecrypt(uint8_t* data, size_t length, const char* key) {
    const key_words kw(key);
    const uint32_t k0 = kw.k[0], k1 = kw.k[1], k2 = kw.k[2], k3 = kw.k[3];
    for (size_t offset = 0; offset < length; offset += 8) {
        uint8_t* block = data + offset;
        uint32_t y = load_le(block), z = load_le(block + 4);
        uint32_t sum = kSumStart;
        for (int round = 0; round < kRounds; ++round) {
            z -= ((y << 4) + k2) ^ (y + sum) ^ ((y >> 5) + k3);
            y -= ((z << 4) + k0) ^ (z + sum) ^ ((z >> 5) + k1);
            sum -= kDelta;
        }
        store_le(block, y);
        store_le(block + 4, z);
    }
}

void TeaEncrypt(uint8_t* data, size_t length, const char* key) {
    const key_words kw(key);
    const uint32_t k0 = kw.k[0], k1 = kw.k[1], k2 = kw.k[2], k3 = kw.k[3];
    for (size_t offset = 0; offset < length; offset += 8) {
        uint8_t* block = data + offset;
        uint32_t y = load_le(block), z = load_le(block + 4);
        uint32_t sum = 0;
        for (int round = 0; round < kRounds; ++round) {
            sum += kDelta;
            y += ((z << 4) + k0) ^ (z + sum) ^ ((z >> 5) + k1);
            z += ((y << 4) + k2) ^ (y + sum) ^ ((y >> 5) + k3);
        }
        store_le(block, y);
        store_le(block + 4, z);
    }
}

void DecryptConfigBuffer(uint8_t* data, size_t length) { TeaDecrypt(data, length, kConfigKey); }

void EncryptConfigBuffer(uint8_t* data, size_t length) { TeaEncrypt(data, length, kConfigKey); }
