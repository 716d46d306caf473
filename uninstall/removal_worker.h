// The removal worker: deletes the game's files below the installation folder
// and, unless the user keeps them, its downloaded resources.
//
// The decisions live here, portable, against file_util and a small view of the
// wizard; the Windows side implements the view by handing every change to the
// UI thread in order, and runs RunRemoval on a thread of its own.
#pragma once

#include <functional>
#include <string>
#include <vector>

// The wizard as the worker sees it. Calls come from the worker's thread, in the
// order the user must see them.
class removal_view {
public:
    enum class page { reasons, progress, finish };

    virtual ~removal_view() = default;
    virtual void set_page_visible(page which, bool visible) = 0;
    // The path being deleted, narrow (ANSI code page).
    virtual void show_current_file(const std::string& path) = 0;
    virtual void set_progress_range(int min_value, int max_value) = 0;
    virtual void set_progress(int value) = 0;
    // Asks whether to keep the downloaded resources; true means keep. Blocks
    // the worker until the user answers.
    virtual bool ask_keep_resources() = 0;
    virtual void set_remove_install_dir(bool value) = 0;
    // Deletes the registry value "AppData" under the configured key.
    virtual void delete_app_data_value() = 0;
    // The last call: everything the finish sequence depends on has been done.
    virtual void finished() = 0;
};

struct RemovalJob {
    std::wstring uninst_dir;            // the installation folder, no trailing backslash
    std::string resource_dir_override;  // the "AppData" value, narrow, possibly empty
    // Folders that must never be emptied (see MayEmptyFolder).
    std::vector<std::wstring> protected_dirs;
    // Brings a path to the form the protected folders are written in (full,
    // long names, upper case on Windows). Identity when empty.
    std::function<std::wstring(const std::wstring&)> canonical;
};

// How the resource folder relates to the installation; decided once.
enum class resource_case { outside, inside, absent };

// The byte-wise containment test of the removal rules: true when `needle`
// occurs anywhere in `haystack` (case-sensitive, no normalisation).
bool PathContains(const std::string& haystack, const std::string& needle);

// Runs the whole removal on the calling thread. Never throws: a file-system
// error ends only the step that hit it.
void RunRemoval(const RemovalJob& job, removal_view& view);
