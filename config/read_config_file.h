// Reading and decrypting a whole configuration file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Zero bytes kept behind the file's contents. Decryption of a last partial block
// writes up to 7 of them; the XML parser may step up to 3 bytes past the last
// non-zero byte when it reads a multibyte sequence, so 8 are not enough to keep
// every read inside the buffer.
constexpr size_t kConfigSpareBytes = 16;

// Reads the file at `path` (Windows path) through the process's file utility
// into `buffer` (file size + kConfigSpareBytes, zero beyond the contents) and
// decrypts the file-size bytes in place. The text ends at the first zero byte.
// False, with `buffer` emptied, when the file cannot be read whole or the
// memory cannot be had.
bool ReadEncryptedConfigFile(const std::string& path, std::vector<uint8_t>& buffer);
