#include "tests/config/test_support.h"

#include <atomic>
#include <random>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "config/tea.h"
#include "system/file_util.h"

namespace config_test {

namespace fs = std::filesystem;

temp_dir::temp_dir() {
    static std::atomic<int> counter{0};
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        fs::path candidate = base / ("uninst-config-test-" + std::to_string(std::random_device{}()) + "-" +
                                     std::to_string(counter++));
        if (fs::create_directory(candidate)) {
            path_ = candidate.string();
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

temp_dir::~temp_dir() {
    std::error_code ignored;
    // The folder holds only regular files and empty folders made by the tests.
    for (const auto& entry : fs::directory_iterator(path_, ignored)) fs::remove(entry.path(), ignored);
    fs::remove(path_, ignored);
}

void temp_dir::write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(fs::path(path_) / name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + name);
}

void temp_dir::make_folder(const std::string& name) const { fs::create_directory(fs::path(path_) / name); }

void temp_dir::write_encrypted(const std::string& name, const std::string& text) const {
    write(name, encrypt_text(text));
}

std::string encrypt_text(const std::string& text) {
    std::string data = text;
    data.resize((data.size() + 7) / 8 * 8, '\0');
    EncryptConfigBuffer(reinterpret_cast<uint8_t*>(&data[0]), data.size());
    return data;
}

std::vector<uint8_t> from_hex(const std::string& hex) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

std::string to_hex(const uint8_t* data, size_t size) {
    std::string out;
    char digits[3];
    for (size_t i = 0; i < size; ++i) {
        std::snprintf(digits, sizeof digits, "%02x", data[i]);
        out += digits;
    }
    return out;
}

void reset_store() {
    static bool registered = false;
    if (!registered) {
        set_file_util(make_platform_file_util());
        registered = true;
    }
    settings() = settings_store{};
}

}  // namespace config_test
