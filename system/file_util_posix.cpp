// file_util on POSIX (host builds and tests). Paths are Windows paths: a
// backslash separates components too. Narrow text is UTF-8. Like the Windows
// implementation it never follows a symbolic link into a directory while
// listing or removing.
#include "system/file_util.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace {

[[noreturn]] void fail(const char* what, const std::string& path, int err) {
    throw std::filesystem::filesystem_error(what, std::filesystem::path(native_path(path)),
                                            std::error_code(err, std::generic_category()));
}

bool not_found(int err) { return err == ENOENT || err == ENOTDIR; }

// lstat/stat result: false when the path is not there; other failures throw.
bool status_of(const char* what, const std::string& path, struct stat& st, bool follow) {
    const std::string& p = path;
    if ((follow ? ::stat(p.c_str(), &st) : ::lstat(p.c_str(), &st)) == 0) return true;
    if (not_found(errno)) return false;
    fail(what, path, errno);
}

// A fd that closes itself.
struct unique_fd {
    int fd;
    explicit unique_fd(int f) : fd(f) {}
    ~unique_fd() {
        if (fd >= 0) ::close(fd);
    }
    unique_fd(const unique_fd&) = delete;
    unique_fd& operator=(const unique_fd&) = delete;
};

struct unique_dir {
    DIR* d;
    explicit unique_dir(DIR* p) : d(p) {}
    ~unique_dir() {
        if (d) ::closedir(d);
    }
    unique_dir(const unique_dir&) = delete;
    unique_dir& operator=(const unique_dir&) = delete;
};

bool remove_tree(const std::string& p) {
    struct stat st;
    if (::lstat(p.c_str(), &st) != 0) return not_found(errno);
    if (!S_ISDIR(st.st_mode)) return ::unlink(p.c_str()) == 0 || not_found(errno);
    // A folder without write permission keeps its entries; it counts as
    // read-only and must not stop the removal.
    if ((st.st_mode & S_IWUSR) == 0) ::chmod(p.c_str(), st.st_mode | S_IWUSR | S_IXUSR);
    bool ok = true;
    {
        unique_dir d(::opendir(p.c_str()));
        if (!d.d) return not_found(errno);
        std::vector<std::string> names;
        while (dirent* e = ::readdir(d.d)) {
            const std::string n = e->d_name;
            if (n != "." && n != "..") names.push_back(n);
        }
        for (const auto& n : names) ok = remove_tree(p + '/' + n) && ok;
    }
    if (::rmdir(p.c_str()) != 0 && !not_found(errno)) ok = false;
    return ok;
}

class posix_file_util : public file_util {
    // The path as the C library takes it; throws std::invalid_argument when it
    // is not UTF-8, as the Windows side does for text outside its code page.
    std::string native(const std::string& path) {
        to_wide(path);
        return native_path(path);
    }

public:
    bool is_regular_file(const std::string& path) override {
        struct stat st;
        return status_of("is_regular_file", native(path), st, true) && S_ISREG(st.st_mode);
    }

    bool is_directory(const std::string& path) override {
        struct stat st;
        return status_of("is_directory", native(path), st, true) && S_ISDIR(st.st_mode);
    }

    void write_all(const std::string& path, const std::string& text) override {
        const std::string p = native(path);
        if (::unlink(p.c_str()) != 0 && !not_found(errno)) fail("write_all", path, errno);
        unique_fd f(::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        if (f.fd < 0) fail("write_all", path, errno);
        const std::string bytes = lf_to_crlf(text);
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(f.fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) fail("write_all", path, errno);
            done += static_cast<size_t>(n);
        }
    }

    std::string read_all(const std::string& path) override {
        if (!exists(path)) return std::string();
        unique_fd f(::open(native(path).c_str(), O_RDONLY | O_CLOEXEC));
        if (f.fd < 0) return std::string();
        std::string bytes;
        char buf[65536];
        for (;;) {
            const ssize_t n = ::read(f.fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            bytes.append(buf, static_cast<size_t>(n));
        }
        return crlf_to_lf(bytes);
    }

    using file_util::exists;
    bool exists(const std::wstring& path) override {
        struct stat st;
        // The entry itself counts, also a link whose target is gone.
        return status_of("exists", native_path(to_narrow(path)), st, false);
    }

    using file_util::remove_all;
    bool remove_all(const std::wstring& path) override {
        try {
            return remove_tree(native_path(to_narrow(path)));
        } catch (const std::invalid_argument&) {
            return false;
        }
    }

    bool rename(const std::string& from, const std::string& to) override {
        if (::rename(native(from).c_str(), native(to).c_str()) != 0) fail("rename", from, errno);
        return !exists(from) && exists(to);
    }

    using file_util::create_directories;
    bool create_directories(const std::wstring& wpath) override {
        const std::string path = native_path(to_narrow(wpath));
        bool created = false;
        for (size_t i = 1; i <= path.size(); ++i) {
            if (i < path.size() && path[i] != '/') continue;
            const std::string part = path.substr(0, i);
            if (::mkdir(part.c_str(), 0755) == 0) {
                created = true;
            } else if (errno != EEXIST) {
                fail("create_directories", part, errno);
            }
        }
        struct stat st;
        if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) fail("create_directories", path, ENOTDIR);
        return created;
    }

    uint64_t read_bytes(const std::string& path, void* buffer, uint64_t max_bytes) override {
        if (!exists(path)) return 0;
        const uint64_t size = file_size(path);
        const uint64_t want = size < max_bytes ? size : max_bytes;
        unique_fd f(::open(native(path).c_str(), O_RDONLY | O_CLOEXEC));
        if (f.fd < 0) return 0;
        uint64_t done = 0;
        while (done < want) {
            const ssize_t n = ::read(f.fd, static_cast<char*>(buffer) + done, static_cast<size_t>(want - done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<uint64_t>(n);
        }
        return done;
    }

    uint64_t file_size(const std::string& path) override {
        struct stat st;
        if (!status_of("file_size", native(path), st, true)) return 0;
        if (!S_ISREG(st.st_mode)) fail("file_size", path, EISDIR);
        return static_cast<uint64_t>(st.st_size);
    }

    std::wstring to_wide(const std::string& s) override {
        std::wstring out;
        out.reserve(s.size());
        for (size_t i = 0; i < s.size();) {
            const unsigned char c = static_cast<unsigned char>(s[i]);
            uint32_t cp;
            size_t len;
            if (c < 0x80) {
                cp = c;
                len = 1;
            } else if ((c & 0xE0) == 0xC0) {
                cp = c & 0x1F;
                len = 2;
            } else if ((c & 0xF0) == 0xE0) {
                cp = c & 0x0F;
                len = 3;
            } else if ((c & 0xF8) == 0xF0) {
                cp = c & 0x07;
                len = 4;
            } else {
                throw std::invalid_argument("path is not valid UTF-8: " + s);
            }
            if (i + len > s.size()) throw std::invalid_argument("path is not valid UTF-8: " + s);
            for (size_t k = 1; k < len; ++k) {
                const unsigned char cc = static_cast<unsigned char>(s[i + k]);
                if ((cc & 0xC0) != 0x80) throw std::invalid_argument("path is not valid UTF-8: " + s);
                cp = (cp << 6) | (cc & 0x3F);
            }
            static const uint32_t min_for_len[] = {0, 0, 0x80, 0x800, 0x10000};
            if (cp < min_for_len[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
                throw std::invalid_argument("path is not valid UTF-8: " + s);
            out += static_cast<wchar_t>(cp);
            i += len;
        }
        return out;
    }

    std::string to_narrow(const std::wstring& w) override {
        std::string out;
        out.reserve(w.size());
        for (wchar_t wc : w) {
            const uint32_t cp = static_cast<uint32_t>(wc);
            if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
                throw std::invalid_argument("path has no UTF-8 form");
            if (cp < 0x80) {
                out += static_cast<char>(cp);
            } else if (cp < 0x800) {
                out += static_cast<char>(0xC0 | (cp >> 6));
                out += static_cast<char>(0x80 | (cp & 0x3F));
            } else if (cp < 0x10000) {
                out += static_cast<char>(0xE0 | (cp >> 12));
                out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (cp & 0x3F));
            } else {
                out += static_cast<char>(0xF0 | (cp >> 18));
                out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
                out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (cp & 0x3F));
            }
        }
        return out;
    }

protected:
    std::vector<dir_entry> read_directory(const std::string& dir) override {
        std::vector<dir_entry> entries;
        const std::string base = native(dir);
        unique_dir d(::opendir(base.c_str()));
        if (!d.d) {
            if (not_found(errno)) return entries;
            fail("list", dir, errno);
        }
        const std::string prefix = (!base.empty() && base.back() == '/') ? base : base + '/';
        while (dirent* e = ::readdir(d.d)) {
            const std::string name = e->d_name;
            if (name == "." || name == "..") continue;
            try {
                to_wide(name);
            } catch (const std::invalid_argument&) {
                continue;
            }
            const std::string full = prefix + name;
            struct stat lst;
            if (::lstat(full.c_str(), &lst) != 0) {
                if (not_found(errno)) continue;
                fail("list", dir + '\\' + name, errno);
            }
            dir_entry entry{name, false, false, false};
            if (S_ISLNK(lst.st_mode)) {
                entry.is_link = true;
                struct stat st;
                // The type the link shows; a dangling link is neither.
                if (::stat(full.c_str(), &st) == 0) {
                    entry.is_directory = S_ISDIR(st.st_mode);
                    entry.is_file = S_ISREG(st.st_mode);
                }
            } else {
                entry.is_directory = S_ISDIR(lst.st_mode);
                entry.is_file = S_ISREG(lst.st_mode);
            }
            entries.push_back(entry);
        }
        return entries;
    }
};

}  // namespace

file_util* make_platform_file_util() { return new posix_file_util(); }

std::string native_path(const std::string& windows_path) {
    std::string p = windows_path;
    for (char& c : p)
        if (c == '\\') c = '/';
    return p;
}
