// Reader of a zip archive held in memory: stored and deflated entries,
// names looked up ignoring case. Every size and offset is checked against the
// buffer, so a corrupt, truncated or lying archive fails instead of reading
// outside it or allocating what its headers claim.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class zip_archive {
public:
    enum result { ok, not_found, too_large, bad_entry };

    // Opens the archive over data (not copied: it must outlive the object).
    // False for anything that is not a readable zip archive.
    bool open(const uint8_t* data, size_t size);
    void close();
    bool is_open() const { return data_ != nullptr; }

    size_t entry_count() const { return entries_.size(); }
    // Names are the archive's bytes (ASCII in our skins).
    const std::string& entry_name(size_t index) const { return entries_[index].name; }
    bool contains(const std::string& name) const;

    // Reads an entry whole into out. Fails with too_large when the entry
    // claims more than max_size bytes, with bad_entry when it is encrypted,
    // uses another method, lies about its sizes or fails its checksum.
    result read(const std::string& name, std::vector<uint8_t>& out, size_t max_size) const;

private:
    struct entry {
        std::string name;
        std::string folded;   // lower-case ASCII, for lookup
        uint16_t method = 0;
        uint16_t flags = 0;
        uint32_t crc = 0;
        uint32_t compressed_size = 0;
        uint32_t size = 0;
        uint32_t local_offset = 0;
    };
    const entry* find(const std::string& name) const;

    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    std::vector<entry> entries_;
};
