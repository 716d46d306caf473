#include "config/read_config_file.h"

#include <exception>
#include <limits>

#include "config/tea.h"
#include "system/file_util.h"

bool ReadEncryptedConfigFile(const std::string& path, std::vector<uint8_t>& buffer) {
    buffer.clear();
    try {
        const uint64_t size = file_size(path);
        if (size > std::numeric_limits<size_t>::max() - kConfigSpareBytes) return false;
        buffer.assign(size_t(size) + kConfigSpareBytes, 0);
        if (size > 0 && read_bytes(path, buffer.data(), size) != size) {
            buffer.clear();
            return false;
        }
        DecryptConfigBuffer(buffer.data(), size_t(size));
        return true;
    } catch (const std::exception&) {
        // Unreadable file (locked, vanished, no permission) or no memory: the
        // caller keeps its settings.
        buffer.clear();
        return false;
    }
}
