// libFuzzer target: the in-memory zip reader.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ui/zip_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zip_archive zip;
    if (!zip.open(data, size)) return 0;
    std::vector<uint8_t> out;
    for (size_t i = 0; i < zip.entry_count() && i < 64; ++i) zip.read(zip.entry_name(i), out, 1u << 20);
    return 0;
}
