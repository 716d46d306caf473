// The file buffer's spare bytes keep the XML parser inside the buffer. The
// parser is a system library (not instrumented by ASan), so the buffer is laid
// out as the reader lays it out, directly in front of an inaccessible page: a
// read past its end faults.
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include <tinyxml.h>

#include "config/read_config_file.h"
#include "config/tea.h"
#include "config/xml_nesting.h"
#include "tests/config/test_support.h"

namespace {

class guarded_buffer {
public:
    explicit guarded_buffer(size_t size) {
        page_ = size_t(sysconf(_SC_PAGESIZE));
        map_ = static_cast<uint8_t*>(mmap(nullptr, 2 * page_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        if (map_ == MAP_FAILED) {
            map_ = nullptr;
            return;
        }
        mprotect(map_ + page_, page_, PROT_NONE);
        data_ = map_ + page_ - size;
        std::memset(data_, 0, size);
    }
    ~guarded_buffer() {
        if (map_) munmap(map_, 2 * page_);
    }
    uint8_t* data() const { return data_; }

private:
    size_t page_ = 0;
    uint8_t* map_ = nullptr;
    uint8_t* data_ = nullptr;
};

TEST(SpareBytesTest, ParserStaysInsideTheBufferAfterAShortLastBlock) {
    // Nine bytes: one block of "<a>xxxxx", then one byte (55) whose block
    // decrypts to text ending in a 4-byte lead byte at file size + 6. The
    // parser jumps over the whole sequence and reads at file size + 10: past
    // 8 spare bytes.
    std::string file = config_test::encrypt_text("<a>xxxxx");
    ASSERT_EQ(file.size(), 8u);
    file += char(55);

    const size_t size = file.size() + kConfigSpareBytes;
    guarded_buffer buffer(size);
    ASSERT_NE(buffer.data(), nullptr);
    std::memcpy(buffer.data(), file.data(), file.size());
    DecryptConfigBuffer(buffer.data(), file.size());
    ASSERT_EQ(buffer.data()[file.size() + 6], 0xF0) << "the case no longer ends in a lead byte";

    const char* text = reinterpret_cast<const char*>(buffer.data());
    ASSERT_TRUE(XmlNestingWithin(text, size, kMaxXmlNesting));
    TiXmlDocument doc;
    doc.Parse(text, nullptr, TIXML_ENCODING_UTF8);  // faults when it reads past the buffer
    EXPECT_TRUE(doc.Error()) << "the element is never closed";
    EXPECT_NE(doc.FirstChildElement("a"), nullptr);
}

}  // namespace
