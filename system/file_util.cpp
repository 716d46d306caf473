// Portable part of file_util: the listing walk, path text operations, the
// narrow/wide overloads and the process-wide instance.
#include "system/file_util.h"

#include <regex>
#include <stdexcept>

namespace {

file_util* g_instance = nullptr;

template <class Char>
bool is_separator(Char c) {
    return c == Char('\\') || c == Char('/');
}

}  // namespace

void file_util::collect(const std::string& dir, bool recursive, bool directories, path_list& out,
                        const std::function<bool(const std::string&)>& accept) {
    // A separator byte at the end may be the trail byte of a double-byte
    // character; only the UTF-16 form tells.
    const bool has_separator = !dir.empty() && is_separator(dir.back()) && is_separator(to_wide(dir).back());
    for (const auto& e : read_directory(dir)) {
        const std::string path = has_separator ? dir + e.name : dir + '\\' + e.name;
        if (e.is_directory) {
            if (directories) out.push_back(path);
            // Pre-order; a link is listed by the type it shows but never entered.
            if (recursive && !e.is_link) collect(path, recursive, directories, out, accept);
        } else if (e.is_file && !directories && (!accept || accept(e.name))) {
            out.push_back(path);
        }
    }
}

namespace {

// -1: the directory does not exist; -2: it is not a directory; 0: go on.
int32_t check_listable(file_util& fu, const std::string& dir) {
    if (!fu.exists(dir)) return -1;
    if (!fu.is_directory(dir)) return -2;
    return 0;
}

}  // namespace

int32_t file_util::list_files_matching(const std::string& dir, path_list& out, const std::string& pattern,
                                       bool recursive) {
    if (int32_t rc = check_listable(*this, dir)) return rc;
    const std::regex re(pattern, std::regex::ECMAScript);
    collect(dir, recursive, false, out,
            [&](const std::string& name) { return std::regex_match(file_name(name, true), re); });
    return static_cast<int32_t>(out.size());
}

int32_t file_util::list_files(const std::string& dir, path_list& out, bool recursive) {
    if (int32_t rc = check_listable(*this, dir)) return rc;
    collect(dir, recursive, false, out, nullptr);
    return static_cast<int32_t>(out.size());
}

int32_t file_util::list_directories(const std::string& dir, path_list& out, bool recursive) {
    if (int32_t rc = check_listable(*this, dir)) return rc;
    collect(dir, recursive, true, out, nullptr);
    return static_cast<int32_t>(out.size());
}

std::string file_util::file_name(const std::wstring& path, bool keep_extension) {
    size_t start = 0;
    for (size_t i = path.size(); i > 0; --i) {
        if (is_separator(path[i - 1])) {
            start = i;
            break;
        }
    }
    std::wstring name = path.substr(start);
    if (!keep_extension && !name.empty()) {
        const size_t dot = name.rfind(L'.');
        if (dot != std::wstring::npos) name.erase(dot);
    }
    return to_narrow(name);
}

std::string file_util::file_name(const std::string& path, bool keep_extension) {
    return file_name(to_wide(path), keep_extension);
}

std::string file_util::read_all(const std::wstring& path) { return read_all(to_narrow(path)); }

bool file_util::exists(const std::string& path) { return exists(to_wide(path)); }

bool file_util::remove_all(const std::string& path) {
    // remove_all reports every failure by its result, a path that does not
    // convert included.
    std::wstring wide;
    try {
        wide = to_wide(path);
    } catch (const std::invalid_argument&) {
        return false;
    }
    return remove_all(wide);
}

bool file_util::create_directories(const std::string& path) { return create_directories(to_wide(path)); }

std::string file_util::parent_path(const std::string& narrow) {
    // Worked on in UTF-16: in a double-byte code page a trail byte can look
    // like a backslash.
    const std::wstring path = to_wide(narrow);
    // Root: an optional drive ("C:") and the separators right after it, or the
    // leading separators of a rooted path. It is never removed.
    size_t root = 0;
    if (path.size() >= 2 && path[1] == L':') root = 2;
    while (root < path.size() && is_separator(path[root])) ++root;
    if (root == path.size()) return narrow;

    size_t last = std::wstring::npos;
    for (size_t i = path.size(); i > root; --i) {
        if (is_separator(path[i - 1])) {
            last = i - 1;
            break;
        }
    }
    if (last == std::wstring::npos) return to_narrow(path.substr(0, root));
    size_t end = last;
    while (end > root && is_separator(path[end - 1])) --end;
    return to_narrow(path.substr(0, end));
}

std::string file_util::crlf_to_lf(const std::string& bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        text += bytes[i];
    }
    return text;
}

std::string file_util::lf_to_crlf(const std::string& text) {
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    return bytes;
}

void set_file_util(file_util* instance) { g_instance = instance; }
file_util* get_file_util() { return g_instance; }
void destroy_file_util() { delete g_instance; }

int32_t list_files(const std::string& dir, path_list& out, bool recursive) {
    return g_instance->list_files(dir, out, recursive);
}
int32_t list_directories(const std::string& dir, path_list& out, bool recursive) {
    return g_instance->list_directories(dir, out, recursive);
}
bool exists(const std::wstring& path) { return g_instance->exists(path); }
bool exists(const std::string& path) { return g_instance->exists(path); }
bool remove_all(const std::wstring& path) { return g_instance->remove_all(path); }
bool remove_all(const std::string& path) { return g_instance->remove_all(path); }
uint64_t read_bytes(const std::string& path, void* buffer, uint64_t max_bytes) {
    return g_instance->read_bytes(path, buffer, max_bytes);
}
uint64_t file_size(const std::string& path) { return g_instance->file_size(path); }
