#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "config/tea.h"
#include "tests/config/test_support.h"

using config_test::from_hex;
using config_test::to_hex;

namespace {

// Known answers computed independently of our encryption, so a wrong
// decryption cannot hide behind a matching wrong encryption.
struct known_answer {
    const char* name;
    std::string cipher_hex;   // the file's bytes
    size_t buffer_size;       // file size + 8 spare zero bytes
    std::string plain_hex;    // the whole buffer after decryption
};
void PrintTo(const known_answer& c, std::ostream* os) { *os << c.name; }

class TeaKnownAnswer : public ::testing::TestWithParam<known_answer> {};

TEST_P(TeaKnownAnswer, DecryptsInPlaceIntoTheSpareBytes) {
    const known_answer& c = GetParam();
    std::vector<uint8_t> buffer = from_hex(c.cipher_hex);
    const size_t file_size = buffer.size();
    buffer.resize(c.buffer_size, 0);
    DecryptConfigBuffer(buffer.data(), file_size);
    EXPECT_EQ(to_hex(buffer.data(), buffer.size()), c.plain_hex);
}

INSTANTIATE_TEST_SUITE_P(
    Config, TeaKnownAnswer,
    ::testing::Values(
        // Two whole blocks: the 8 spare bytes stay zero.
        known_answer{"text", "69004fed37c34c17851114190f8747cd", 24,
                     "30313233343536373839616263646566" "0000000000000000"},
        known_answer{"zero_block", "0000000000000000", 16, "3a195ae495cfba05" "0000000000000000"},
        // 13 bytes: the second block covers bytes 8 to 15, three of them spare;
        // the bytes from 16 on stay zero and end the text.
        known_answer{"partial_block", "000102030405060708090a0b0c", 21,
                     "15f63f01ff0b937953d28665ea605fe5" "0000000000"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TeaTest, OnlyTheFirstSixteenKeyCharactersCount) {
    const std::vector<uint8_t> cipher = from_hex("69004fed37c34c17851114190f8747cd");
    std::string other_tail = std::string(kConfigKey, 16) + "ffffffffffffffff";
    std::vector<uint8_t> buffer = cipher;
    buffer.resize(24, 0);
    TeaDecrypt(buffer.data(), 16, other_tail.c_str());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.data())), "0123456789abcdef");

    std::string other_head = kConfigKey;
    other_head[15] ^= 1;
    buffer = cipher;
    buffer.resize(24, 0);
    TeaDecrypt(buffer.data(), 16, other_head.c_str());
    EXPECT_NE(std::string(reinterpret_cast<const char*>(buffer.data()), 16), "0123456789abcdef");
}

TEST(TeaTest, ZeroLengthTouchesNothing) {
    uint8_t buffer[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    DecryptConfigBuffer(buffer, 0);
    EncryptConfigBuffer(buffer, 0);
    const uint8_t expected[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(0, std::memcmp(buffer, expected, 8));
}

TEST(TeaTest, EncryptionIsTheInverseForEveryLength) {
    for (size_t length : {size_t(1), size_t(7), size_t(8), size_t(9), size_t(16), size_t(100), size_t(4096)}) {
        std::vector<uint8_t> plain(length + 8, 0);
        for (size_t i = 0; i < length; ++i) plain[i] = uint8_t(i * 37 + 11);
        std::vector<uint8_t> buffer = plain;
        EncryptConfigBuffer(buffer.data(), length);
        EXPECT_NE(buffer, plain) << length;
        DecryptConfigBuffer(buffer.data(), length);
        EXPECT_EQ(buffer, plain) << length;
    }
}

TEST(TeaTest, EncryptedKnownTextMatchesTheKnownCipher) {
    std::vector<uint8_t> buffer(16);
    std::memcpy(buffer.data(), "0123456789abcdef", 16);
    EncryptConfigBuffer(buffer.data(), 16);
    EXPECT_EQ(to_hex(buffer.data(), 16), "69004fed37c34c17851114190f8747cd");
}

}  // namespace
