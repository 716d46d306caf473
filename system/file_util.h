// The process's one gateway to the file system.
//
// Paths are Windows paths given as narrow strings in the system's ANSI code page
// (a few operations also take UTF-16). Both '\' and '/' separate components, on
// every platform, so the configuration readers and the removal worker run the
// same way in host tests (narrow is UTF-8 there). Listing and removal never
// enter a reparse point (junction, symbolic link, mount point) or a POSIX
// symbolic link: a link is listed by the type it shows and removed as a link.
// remove_all clears a read-only attribute before it removes an entry, and goes
// on after a failure; its result says whether everything went.
//
// Errors: the operations that the program relies on for results return them
// (-1/-2 for listings, false from remove_all, 0 or "" for missing files); any
// other failure throws std::filesystem::filesystem_error (std::invalid_argument
// for a narrow path that does not convert; remove_all never throws). Names in
// a listing that have no exact narrow form are left out: a best-fit form could
// name another entry. read_bytes returns the number of bytes it actually read.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using path_list = std::vector<std::string>;

class file_util {
public:
    virtual int32_t list_files_matching(const std::string& dir, path_list& out, const std::string& pattern,
                                        bool recursive);
    virtual int32_t list_files(const std::string& dir, path_list& out, bool recursive);
    virtual int32_t list_directories(const std::string& dir, path_list& out, bool recursive);
    virtual bool is_regular_file(const std::string& path) = 0;
    virtual bool is_directory(const std::string& path) = 0;
    virtual std::string file_name(const std::wstring& path, bool keep_extension);
    virtual std::string file_name(const std::string& path, bool keep_extension);
    virtual void write_all(const std::string& path, const std::string& text) = 0;
    virtual std::string read_all(const std::wstring& path);
    virtual std::string read_all(const std::string& path) = 0;
    virtual bool exists(const std::wstring& path) = 0;
    virtual bool exists(const std::string& path);
    virtual bool remove_all(const std::wstring& path) = 0;
    virtual bool remove_all(const std::string& path);
    virtual bool rename(const std::string& from, const std::string& to) = 0;
    virtual bool create_directories(const std::wstring& path) = 0;
    virtual bool create_directories(const std::string& path);
    virtual uint64_t read_bytes(const std::string& path, void* buffer, uint64_t max_bytes) = 0;
    virtual uint64_t file_size(const std::string& path) = 0;
    virtual std::string parent_path(const std::string& path);
    virtual ~file_util() = default;

    // Conversions between the narrow (ANSI code page) and UTF-16 forms of a path.
    // Throw std::invalid_argument when a narrow path does not convert.
    virtual std::wstring to_wide(const std::string& path) = 0;
    virtual std::string to_narrow(const std::wstring& path) = 0;

protected:
    // One directory level in the order the file system returns it; never "." or "..".
    struct dir_entry {
        std::string name;   // narrow
        bool is_directory;  // a link to a directory counts as a directory, but is never entered
        bool is_link;       // reparse point / symbolic link
        bool is_file;
    };
    // Enumerates one directory; entries that vanish meanwhile are skipped, and
    // so are names that have no exact narrow form (they could name another entry).
    virtual std::vector<dir_entry> read_directory(const std::string& dir) = 0;

    // The listing walk: appends regular files (or directories) below dir, in
    // pre-order when recursive; accept (may be empty) filters files by name.
    // Text files are Windows text on every platform: CR LF on disk, LF in memory.
    static std::string crlf_to_lf(const std::string& bytes);
    static std::string lf_to_crlf(const std::string& text);

    void collect(const std::string& dir, bool recursive, bool directories, path_list& out,
                 const std::function<bool(const std::string&)>& accept);
};

// The process-wide instance (created and registered once at start-up).
void set_file_util(file_util* instance);
file_util* get_file_util();
void destroy_file_util();
// The platform's implementation (Win32 in the product, POSIX on Linux).
file_util* make_platform_file_util();
// A Windows path as the platform's C library opens it: unchanged on Windows; on
// POSIX every backslash becomes a slash.
std::string native_path(const std::string& windows_path);

// Forwarding functions, no logic of their own.
int32_t list_files(const std::string& dir, path_list& out, bool recursive);
int32_t list_directories(const std::string& dir, path_list& out, bool recursive);
bool exists(const std::wstring& path);
bool exists(const std::string& path);
bool remove_all(const std::wstring& path);
bool remove_all(const std::string& path);
uint64_t read_bytes(const std::string& path, void* buffer, uint64_t max_bytes);
uint64_t file_size(const std::string& path);
