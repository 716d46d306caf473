// Block cipher of the configuration files: TEA reduced to 8 rounds.
#pragma once

#include <cstddef>
#include <cstdint>

// The key string of the configuration files; only its first 16 bytes are key material.
extern const char kConfigKey[];

// Decrypts `length` bytes in place, 8-byte blocks, little-endian words; `key`
// must hold at least 16 bytes. When `length` is not a multiple of 8 the last
// block runs past it, so the buffer needs 8 spare bytes (zero) behind `length`.
void TeaDecrypt(uint8_t* data, size_t length, const char* key);
// The inverse of TeaDecrypt, with the same block rule.
void TeaEncrypt(uint8_t* data, size_t length, const char* key);

void DecryptConfigBuffer(uint8_t* data, size_t length);
void EncryptConfigBuffer(uint8_t* data, size_t length);
