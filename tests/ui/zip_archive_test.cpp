// The in-memory zip reader, over archives made by the real zip tool, and over
// damaged copies of them.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstring>
#include <string>

#include "tests/ui/ui_test_support.h"
#include "ui/zip_archive.h"

namespace {

using uitest::scratch_dir;

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}
// Offset of the first central directory record.
size_t central_directory(const std::vector<uint8_t>& zip) {
    for (size_t at = zip.size() - 22 + 1; at-- > 0;)
        if (le32(zip, at) == 0x06054b50) return le32(zip, at + 16);
    ADD_FAILURE() << "no end record";
    return 0;
}

class ZipArchive : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new scratch_dir;
        std::string text;
        for (int i = 0; i < 2000; ++i) text += "line " + std::to_string(i) + " of a layout that compresses well\n";
        text_ = new std::string(text);
        dir_->write("Layout.XML", text);
        dir_->write("empty.txt", std::string());
        dir_->write("small.bin", std::string("\x00\x01\x02\xFF", 4));
        deflated_ = new std::vector<uint8_t>(uitest::make_zip(*dir_, {"Layout.XML", "empty.txt", "small.bin"}));
        stored_ = new std::vector<uint8_t>(uitest::make_zip(*dir_, {"Layout.XML", "empty.txt", "small.bin"}, true));
    }
    static void TearDownTestSuite() {
        delete dir_;
        delete text_;
        delete deflated_;
        delete stored_;
    }
    static scratch_dir* dir_;
    static std::string* text_;
    static std::vector<uint8_t>* deflated_;
    static std::vector<uint8_t>* stored_;
};
scratch_dir* ZipArchive::dir_;
std::string* ZipArchive::text_;
std::vector<uint8_t>* ZipArchive::deflated_;
std::vector<uint8_t>* ZipArchive::stored_;

TEST_F(ZipArchive, ReadsStoredAndDeflatedEntriesIgnoringCase) {
    for (const auto* bytes : {deflated_, stored_}) {
        zip_archive zip;
        ASSERT_TRUE(zip.open(bytes->data(), bytes->size()));
        EXPECT_EQ(zip.entry_count(), 3u);
        for (const char* name : {"Layout.XML", "layout.xml", "LAYOUT.xml"}) {
            std::vector<uint8_t> out;
            ASSERT_EQ(zip.read(name, out, 1 << 20), zip_archive::ok) << name;
            EXPECT_EQ(std::string(out.begin(), out.end()), *text_);
        }
        std::vector<uint8_t> out{1, 2, 3};
        EXPECT_EQ(zip.read("empty.txt", out, 100), zip_archive::ok);
        EXPECT_TRUE(out.empty());
        EXPECT_EQ(zip.read("small.bin", out, 4), zip_archive::ok);
        EXPECT_EQ(out, (std::vector<uint8_t>{0, 1, 2, 0xFF}));
        EXPECT_EQ(zip.read("missing.png", out, 100), zip_archive::not_found);
        EXPECT_EQ(zip.read("Layout", out, 1 << 20), zip_archive::not_found);
    }
}

TEST_F(ZipArchive, EntryOverTheLimitIsRefusedBeforeInflating) {
    zip_archive zip;
    ASSERT_TRUE(zip.open(deflated_->data(), deflated_->size()));
    std::vector<uint8_t> out;
    EXPECT_EQ(zip.read("layout.xml", out, text_->size() - 1), zip_archive::too_large);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(zip.read("layout.xml", out, text_->size()), zip_archive::ok);
}

TEST_F(ZipArchive, NotAnArchive) {
    const std::vector<std::vector<uint8_t>> inputs = {
        {},
        {'P', 'K'},
        std::vector<uint8_t>(21, 0),
        std::vector<uint8_t>(4096, 0x50),
        std::vector<uint8_t>(deflated_->begin(), deflated_->begin() + deflated_->size() / 2),   // truncated
        std::vector<uint8_t>(deflated_->begin(), deflated_->end() - 1),                          // end record cut
    };
    for (const auto& in : inputs) {
        zip_archive zip;
        EXPECT_FALSE(zip.open(in.empty() ? nullptr : in.data(), in.size())) << in.size();
        EXPECT_FALSE(zip.is_open());
    }
}

TEST_F(ZipArchive, EmptyArchiveOpensWithNoEntries) {
    // What zip writes for an archive with nothing in it: the end record alone.
    std::vector<uint8_t> empty = {0x50, 0x4b, 0x05, 0x06, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    zip_archive zip;
    ASSERT_TRUE(zip.open(empty.data(), empty.size()));
    EXPECT_EQ(zip.entry_count(), 0u);
    std::vector<uint8_t> out;
    EXPECT_EQ(zip.read("anything", out, 100), zip_archive::not_found);
}

TEST_F(ZipArchive, DamagedDirectoryIsRefused) {
    const size_t cd = central_directory(*deflated_);
    {
        std::vector<uint8_t> bad(*deflated_);
        put32(bad, cd, 0x12345678);   // central record signature
        zip_archive zip;
        EXPECT_FALSE(zip.open(bad.data(), bad.size()));
    }
    {
        std::vector<uint8_t> bad(*deflated_);
        bad[cd + 28] = 0xFF;   // a name running past the directory
        bad[cd + 29] = 0xFF;
        zip_archive zip;
        EXPECT_FALSE(zip.open(bad.data(), bad.size()));
    }
    // A directory offset or size pointing outside the buffer.
    size_t end = deflated_->size() - 22;
    for (uint32_t bogus : {0xFFFFFFF0u, uint32_t(deflated_->size())}) {
        std::vector<uint8_t> bad(*deflated_);
        put32(bad, end + 16, bogus);
        zip_archive zip;
        EXPECT_FALSE(zip.open(bad.data(), bad.size()));
        std::vector<uint8_t> bad_size(*deflated_);
        put32(bad_size, end + 12, bogus);
        EXPECT_FALSE(zip.open(bad_size.data(), bad_size.size()));
    }
    // An entry count that the directory cannot hold.
    std::vector<uint8_t> bad(*deflated_);
    bad[end + 10] = 0xFF;
    bad[end + 11] = 0xFF;
    zip_archive zip;
    EXPECT_FALSE(zip.open(bad.data(), bad.size()));
}

// Patches one field of the central record of "Layout.XML" (the first entry).
std::vector<uint8_t> patched(const std::vector<uint8_t>& zip, size_t field, uint32_t value) {
    std::vector<uint8_t> bad(zip);
    put32(bad, central_directory(zip) + field, value);
    return bad;
}

TEST_F(ZipArchive, LyingOrDamagedEntriesFailToRead) {
    const uint32_t size = uint32_t(text_->size());
    const uint32_t csize = le32(*deflated_, central_directory(*deflated_) + 20);
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        zip_archive::result expected;
    } cases[] = {
        {"claims a smaller size", patched(*deflated_, 24, size / 2), zip_archive::bad_entry},
        {"claims a larger size", patched(*deflated_, 24, size + 100), zip_archive::bad_entry},
        {"claims 4 GiB", patched(*deflated_, 24, 0xFFFFFFFFu), zip_archive::too_large},
        {"compressed size past the buffer", patched(*deflated_, 20, 0x7FFFFFFFu), zip_archive::bad_entry},
        {"compressed size cut short", patched(*deflated_, 20, csize / 2), zip_archive::bad_entry},
        {"wrong checksum", patched(*deflated_, 16, 0xDEADBEEF), zip_archive::bad_entry},
        {"local header offset outside", patched(*deflated_, 42, 0xFFFFFF00u), zip_archive::bad_entry},
        {"stored size mismatch", patched(*stored_, 24, size - 1), zip_archive::bad_entry},
    };
    for (const auto& c : cases) {
        zip_archive zip;
        ASSERT_TRUE(zip.open(c.bytes.data(), c.bytes.size())) << c.what;
        std::vector<uint8_t> out;
        EXPECT_EQ(zip.read("Layout.XML", out, 1u << 30), c.expected) << c.what;
        EXPECT_TRUE(out.empty()) << c.what;
    }
}

TEST_F(ZipArchive, CorruptDataFailsToRead) {
    // Flip bytes in the middle of the deflated data of the first entry.
    std::vector<uint8_t> bad(*deflated_);
    const size_t local = 0;
    size_t data = local + 30 + (bad[26] | bad[27] << 8) + (bad[28] | bad[29] << 8);
    for (size_t i = 0; i < 16; ++i) bad[data + 20 + i] ^= 0x5A;
    zip_archive zip;
    ASSERT_TRUE(zip.open(bad.data(), bad.size()));
    std::vector<uint8_t> out;
    EXPECT_EQ(zip.read("Layout.XML", out, 1u << 20), zip_archive::bad_entry);
    // The other entries are still readable.
    EXPECT_EQ(zip.read("small.bin", out, 100), zip_archive::ok);
}

TEST_F(ZipArchive, EncryptedEntryIsRefused) {
    scratch_dir dir;
    dir.write("secret.txt", std::string("hidden"));
    std::string cmd = "cd '" + dir.path() + "' && zip -q -P pw enc.zip secret.txt";
    ASSERT_EQ(uitest::run(cmd), 0);
    std::vector<uint8_t> bytes = uitest::read_file(dir.file("enc.zip"));
    zip_archive zip;
    ASSERT_TRUE(zip.open(bytes.data(), bytes.size()));
    std::vector<uint8_t> out;
    EXPECT_EQ(zip.read("secret.txt", out, 100), zip_archive::bad_entry);
}

}  // namespace
