// Shell-folder lookups and the removal of the game's shortcuts.
#include <windows.h>
#include <shlobj.h>

#include "system/file_util.h"
#include "system/shortcuts.h"

namespace {

// Owns an item ID list that the shell allocated.
class scoped_pidl {
public:
    scoped_pidl() = default;
    ~scoped_pidl() {
        if (pidl_) CoTaskMemFree(pidl_);
    }
    scoped_pidl(const scoped_pidl&) = delete;
    scoped_pidl& operator=(const scoped_pidl&) = delete;
    LPITEMIDLIST* receive() { return &pidl_; }
    LPCITEMIDLIST get() const { return pidl_; }

private:
    LPITEMIDLIST pidl_ = nullptr;
};

std::wstring special_folder(int csidl) {
    scoped_pidl pidl;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, pidl.receive())) || !pidl.get()) return std::wstring();
    wchar_t path[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(pidl.get(), path)) return std::wstring();
    return path;
}

// One component that Windows takes as written: the name may not climb out of
// the folder, name the folder itself, or reach into a subfolder.
bool is_plain_file_name(const std::wstring& name) {
    if (name.empty() || name == L"." || name == L"..") return false;
    if (name.back() == L'.' || name.back() == L' ') return false;  // Windows drops these
    for (const wchar_t c : name) {
        if (c < 0x20 || c == L'\\' || c == L'/' || c == L':' || c == L'*' || c == L'?' || c == L'"' || c == L'<' ||
            c == L'>' || c == L'|') {
            return false;
        }
    }
    return true;
}

std::wstring join(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && folder.back() == L'\\') return folder + name;
    return folder + L"\\" + name;
}

}  // namespace

std::wstring get_programs_folder(bool common) {
    return special_folder(common ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS);
}

std::wstring get_desktop_folder(bool common) {
    return special_folder(common ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOPDIRECTORY);
}

bool remove_shortcuts(const std::wstring& display_name) {
    if (!is_plain_file_name(display_name)) return true;

    // The game's Start-menu folder decides where both Start-menu entries are.
    std::wstring programs = get_programs_folder(true);
    if (programs.empty() || !exists(join(programs, display_name))) programs = get_programs_folder(false);
    // An empty folder would turn the entries into relative paths: skip them.
    if (!programs.empty()) {
        remove_all(join(programs, display_name));
        remove_all(join(programs, L"卸载" + display_name + L".lnk"));
    }

    std::wstring desktop = get_desktop_folder(true);
    std::wstring link = desktop.empty() ? std::wstring() : join(desktop, display_name + L".lnk");
    if (link.empty() || !exists(link)) {
        desktop = get_desktop_folder(false);
        link = desktop.empty() ? std::wstring() : join(desktop, display_name + L".lnk");
    }
    if (!link.empty()) remove_all(link);
    return true;
}
