#include "ui/zip_archive.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

std::string fold(const std::string& s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr size_t kEndSize = 22;
constexpr size_t kCentralSize = 46;
constexpr size_t kLocalSize = 30;

}  // namespace

void zip_archive::close() {
    data_ = nullptr;
    size_ = 0;
    entries_.clear();
}

bool zip_archive::open(const uint8_t* data, size_t size) {
    close();
    if (!data || size < kEndSize) return false;
    // The end record sits in the last 22 bytes plus at most a 64 KiB comment.
    size_t lowest = size > kEndSize + 0xFFFF ? size - kEndSize - 0xFFFF : 0;
    size_t end = SIZE_MAX;
    for (size_t at = size - kEndSize + 1; at-- > lowest;) {
        if (le32(data + at) == kEndSignature && at + kEndSize + le16(data + at + 20) <= size) {
            end = at;
            break;
        }
    }
    if (end == SIZE_MAX) return false;
    const uint8_t* e = data + end;
    if (le16(e + 4) != 0 || le16(e + 6) != 0) return false;   // multi-disk archives
    size_t count = le16(e + 10);
    size_t cd_size = le32(e + 12);
    size_t cd_offset = le32(e + 16);
    if (cd_offset > end || cd_size > end - cd_offset) return false;
    if (count > cd_size / kCentralSize) return false;

    std::vector<entry> entries;
    entries.reserve(count);
    size_t at = cd_offset;
    const size_t cd_end = cd_offset + cd_size;
    for (size_t i = 0; i < count; ++i) {
        if (cd_end - at < kCentralSize) return false;
        const uint8_t* h = data + at;
        if (le32(h) != kCentralSignature) return false;
        size_t name_len = le16(h + 28), extra_len = le16(h + 30), comment_len = le16(h + 32);
        size_t record = kCentralSize + name_len + extra_len + comment_len;
        if (cd_end - at < record) return false;
        entry en;
        en.flags = le16(h + 8);
        en.method = le16(h + 10);
        en.crc = le32(h + 16);
        en.compressed_size = le32(h + 20);
        en.size = le32(h + 24);
        en.local_offset = le32(h + 42);
        en.name.assign(reinterpret_cast<const char*>(h + kCentralSize), name_len);
        en.folded = fold(en.name);
        entries.push_back(std::move(en));
        at += record;
    }
    data_ = data;
    size_ = size;
    entries_ = std::move(entries);
    return true;
}

const zip_archive::entry* zip_archive::find(const std::string& name) const {
    std::string key = fold(name);
    for (const entry& e : entries_)
        if (e.folded == key) return &e;
    return nullptr;
}

bool zip_archive::contains(const std::string& name) const { return find(name) != nullptr; }

zip_archive::result zip_archive::read(const std::string& name, std::vector<uint8_t>& out, size_t max_size) const {
    out.clear();
    const entry* e = find(name);
    if (!e) return not_found;
    if (e->size > max_size) return too_large;
    if (e->flags & 0x0001) return bad_entry;   // encrypted
    if (e->method != 0 && e->method != 8) return bad_entry;

    if (e->local_offset > size_ || size_ - e->local_offset < kLocalSize) return bad_entry;
    const uint8_t* h = data_ + e->local_offset;
    if (le32(h) != kLocalSignature) return bad_entry;
    size_t start = static_cast<size_t>(e->local_offset) + kLocalSize + le16(h + 26) + le16(h + 28);
    if (start > size_ || size_ - start < e->compressed_size) return bad_entry;
    const uint8_t* src = data_ + start;

    if (e->method == 0) {
        if (e->compressed_size != e->size) return bad_entry;
        out.assign(src, src + e->size);
    } else {
        // The central directory's size is trusted only as an upper bound: the
        // output buffer is exactly that large and the stream must end in it.
        out.resize(e->size);
        z_stream zs;
        std::memset(&zs, 0, sizeof zs);
        if (inflateInit2(&zs, -MAX_WBITS) != Z_OK) {
            out.clear();
            return bad_entry;
        }
        zs.next_in = const_cast<Bytef*>(src);
        zs.avail_in = e->compressed_size;
        // An empty output buffer still needs a valid pointer for zlib.
        uint8_t dummy = 0;
        zs.next_out = out.empty() ? &dummy : out.data();
        zs.avail_out = e->size;
        int rc = inflate(&zs, Z_FINISH);
        bool good = rc == Z_STREAM_END && zs.total_out == e->size;
        inflateEnd(&zs);
        if (!good) {
            out.clear();
            return bad_entry;
        }
    }
    uLong crc = crc32(0L, Z_NULL, 0);
    if (!out.empty()) crc = crc32(crc, out.data(), static_cast<uInt>(out.size()));
    if (crc != e->crc) {
        out.clear();
        return bad_entry;
    }
    return ok;
}
