// Helpers shared by the configuration tests: a temporary folder on the real
// file system, encrypted files as configtool writes them, and the
// process-wide store put back to its start-up state.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/settings_store.h"

namespace config_test {

// A fresh folder under the system's temporary folder, removed with its files at
// the end. `path()` is narrow and has no trailing separator; `file(name)`
// joins with a backslash, as the program's readers do.
class temp_dir {
public:
    temp_dir();
    ~temp_dir();
    temp_dir(const temp_dir&) = delete;
    temp_dir& operator=(const temp_dir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "\\" + name; }
    void write(const std::string& name, const std::string& bytes) const;
    void write_encrypted(const std::string& name, const std::string& text) const;
    // An empty folder in place of a file, for read failures after an existence test.
    void make_folder(const std::string& name) const;

private:
    std::string path_;
};

// The text zero-padded to whole blocks and encrypted.
std::string encrypt_text(const std::string& text);
// Bytes from a hex string ("00ff...").
std::vector<uint8_t> from_hex(const std::string& hex);
std::string to_hex(const uint8_t* data, size_t size);

// Scalars at their initial values, tables empty; registers the platform file
// utility once.
void reset_store();

}  // namespace config_test
