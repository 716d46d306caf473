// Whether the uninstaller may empty a folder.
//
// The removal worker deletes everything below a folder it did not choose: its
// own folder, or the resource folder the installer recorded. A misplaced
// uninstaller (a drive root, the Windows folder, a user's Documents) must never
// turn into a wiped disk, so before anything is removed the folder is checked
// against the folders that matter to the system and the user.
#pragma once

#include <optional>
#include <string>
#include <vector>

class file_util;

// A path split into its root and its components, for comparison. Empty when the
// path is not absolute (relative or drive-relative paths depend on a current
// directory) or holds a ".." component or a component Windows would strip to
// nothing; such paths are never safe to empty.
struct path_parts {
    std::wstring root;                // "C:", "\\server\share" or "\" (folded)
    std::vector<std::wstring> parts;  // components, case-folded, trailing dots and spaces stripped
};
std::optional<path_parts> SplitPathForCompare(const std::wstring& path);

// True when everything below `dir` may be removed: `dir` is absolute, is not a
// drive or share root, and neither is nor contains any of `protected_dirs`
// (the Windows folder, Program Files, the user profile, Desktop, Documents as
// the shell reports them). Whole components are compared, ignoring case; the
// protected folders that cannot be split are ignored, since they name nothing.
bool MayEmptyFolder(const std::wstring& dir, const std::vector<std::wstring>& protected_dirs);

// The narrow (ANSI code page) form of a wide path, or nothing when the path has
// characters the code page lacks. A best-fit conversion may turn a missing
// character into a look-alike and so name another, existing folder; the result
// is accepted only when converting it back gives the very same wide path.
std::optional<std::string> ExactNarrowPath(const std::wstring& path, file_util& fu);
