#include "uninstall/removal_worker.h"

#include <exception>
#include <optional>

#include "system/file_util.h"
#include "uninstall/install_safety.h"

namespace {

using page = removal_view::page;

// A file-system error ends only the step that hit it: a listing keeps what it
// had found, a removal leaves its path in place. Neither ever widens what is
// removed, and none ends the process.
void list_files_caught(file_util& fu, const std::string& dir, path_list& out) {
    try {
        fu.list_files(dir, out, true);
    } catch (const std::exception&) {
    }
}

void list_directories_caught(file_util& fu, const std::string& dir, path_list& out) {
    try {
        fu.list_directories(dir, out, true);
    } catch (const std::exception&) {
    }
}

bool remove_caught(file_util& fu, const std::string& path) {
    try {
        return fu.remove_all(path);
    } catch (const std::exception&) {
        return false;
    }
}

// True when `path` lies below the folder `dir` (same spelling, as both come
// from one listing).
bool lies_below(const std::string& path, const std::string& dir) {
    return !dir.empty() && path.size() > dir.size() + 1 && path.compare(0, dir.size(), dir) == 0 &&
           (path[dir.size()] == '\\' || path[dir.size()] == '/');
}

// True when the folder `dir` (narrow) may be emptied; a path that does not
// convert names nothing we can check, so it is refused.
bool narrow_folder_is_safe(file_util& fu, const RemovalJob& job, const std::string& dir) {
    std::wstring wide;
    try {
        wide = fu.to_wide(dir);
    } catch (const std::exception&) {
        return false;
    }
    if (job.canonical) wide = job.canonical(wide);
    return MayEmptyFolder(wide, job.protected_dirs);
}

void show_finish_page(removal_view& view) {
    view.set_page_visible(page::reasons, false);
    view.set_page_visible(page::progress, false);
    view.set_page_visible(page::finish, true);
}

// The installation folder cannot be emptied safely: remove nothing, keep
// "AppData", and let the user leave through the finish page.
void refuse(removal_view& view) {
    view.set_progress_range(0, 100);
    view.set_progress(100);
    show_finish_page(view);
    view.finished();
}

}  // namespace

bool PathContains(const std::string& haystack, const std::string& needle) {
    return haystack.find(needle) != std::string::npos;
}

void RunRemoval(const RemovalJob& job, removal_view& view) {
    view.set_page_visible(page::reasons, false);
    view.set_page_visible(page::progress, true);

    file_util* fu = get_file_util();
    std::optional<std::string> narrow;
    if (fu) narrow = ExactNarrowPath(job.uninst_dir, *fu);
    std::wstring canonical_dir = job.canonical ? job.canonical(job.uninst_dir) : job.uninst_dir;
    if (!narrow || !MayEmptyFolder(canonical_dir, job.protected_dirs)) {
        refuse(view);
        return;
    }

    const std::string install_dir = *narrow;
    const bool from_registry = !job.resource_dir_override.empty();
    const std::string resource_dir =
        from_registry ? job.resource_dir_override : install_dir + "\\assetbundleres";

    bool remove_resources = true;
    // False when the resource folder could not be examined; "AppData" then stays.
    bool resource_known = true;
    resource_case rcase = resource_case::absent;
    bool resource_exists = false;
    try {
        resource_exists = fu->exists(resource_dir);
    } catch (const std::exception&) {
        resource_known = false;
    }
    if (resource_exists) {
        if (view.ask_keep_resources()) remove_resources = false;
        rcase = PathContains(resource_dir, install_dir) ? resource_case::inside : resource_case::outside;
    }
    // A resource folder outside the installation is emptied only when that is
    // safe; otherwise it is kept whatever the answer.
    const bool resource_safe =
        rcase != resource_case::outside || narrow_folder_is_safe(*fu, job, resource_dir);
    const bool remove_outside = rcase == resource_case::outside && remove_resources && resource_safe;
    const bool inside_keep = rcase == resource_case::inside && !remove_resources;

    path_list paths;
    list_files_caught(*fu, install_dir, paths);
    if (remove_outside) list_files_caught(*fu, resource_dir, paths);
    const size_t n = paths.size();

    view.set_progress_range(0, 100);
    for (size_t i = 1; i <= n; ++i) {
        const std::string& p = paths[i - 1];
        if (!(inside_keep && PathContains(p, resource_dir))) {
            view.show_current_file(p);
            remove_caught(*fu, p);
        }
        view.set_progress(static_cast<int>(100.0 * static_cast<double>(i) / static_cast<double>(n)));
    }
    if (n == 0) view.set_progress(100);

    // Final pass: it runs also for an empty list, so the user is never left on
    // the progress page.
    if (remove_outside) {
        view.show_current_file(resource_dir);
        remove_caught(*fu, resource_dir);
    } else if (!inside_keep) {
        view.show_current_file(install_dir);
    }
    paths.clear();
    list_directories_caught(*fu, install_dir, paths);
    // The listing puts each folder before its contents, so removing a folder
    // whole takes the entries that follow it with it. Those are still shown,
    // but not asked for again: on a large installation the futile attempts
    // cost as much as the folders' real removal.
    std::string removed_whole;
    for (const auto& d : paths) {
        if (inside_keep) {
            if (resource_dir.empty() || PathContains(d, resource_dir)) continue;
            // A folder above the kept resources would take them with it.
            if (PathContains(resource_dir, d + "\\") || PathContains(resource_dir, d + "/")) continue;
        }
        view.show_current_file(d);
        if (lies_below(d, removed_whole)) continue;
        removed_whole = remove_caught(*fu, d) ? d : std::string();
    }
    show_finish_page(view);

    if (!inside_keep) view.set_remove_install_dir(true);
    if (from_registry && remove_resources && resource_known && resource_safe) view.delete_app_data_value();
    view.finished();
}
