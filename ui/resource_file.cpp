#include "ui/resource_file.h"

#include <filesystem>
#include <fstream>

namespace {

// The path in the form the standard library takes without a locale: UTF-16
// on Windows, UTF-8 elsewhere. False for text that is not valid Unicode.
bool native_path(const std::wstring& wide, std::filesystem::path& out) {
#ifdef _WIN32
    out = std::filesystem::path(wide);
    return true;
#else
    std::string utf8;
    for (size_t i = 0; i < wide.size(); ++i) {
        uint32_t cp = static_cast<uint32_t>(wide[i]);
        if (sizeof(wchar_t) == 2 && cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size()) {
            uint32_t low = static_cast<uint32_t>(wide[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF || cp == 0) return false;
        if (cp < 0x80) {
            utf8.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            utf8.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            utf8.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            utf8.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            utf8.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            utf8.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    out = std::filesystem::path(utf8);
    return true;
#endif
}

}  // namespace

ui_file_result ui_read_file(const std::wstring& wide, std::vector<uint8_t>& out, size_t max_size) {
    out.clear();
    try {
        std::filesystem::path path;
        if (!native_path(wide, path)) return ui_file_result::cannot_open;
        std::ifstream in(path, std::ios::binary);
        if (!in) return ui_file_result::cannot_open;
        std::error_code ec;
        auto size = std::filesystem::file_size(path, ec);
        if (ec) return ui_file_result::read_error;
        if (size == 0) return ui_file_result::empty;
        if (size > max_size) return ui_file_result::too_large;
        out.resize(static_cast<size_t>(size));
        if (!in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(size))) {
            out.clear();
            return ui_file_result::read_error;
        }
        return ui_file_result::ok;
    } catch (const std::exception&) {
        // A path the file system rejects, or no memory for the contents.
        out.clear();
        return ui_file_result::read_error;
    }
}
