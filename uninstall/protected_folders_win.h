// The folders that the removal worker must never empty, as the shell reports
// them, and the form in which paths are compared with them.
#pragma once

#include <string>
#include <vector>

// The Windows folder, the Program Files folders (both views), the user
// profile, the Desktop and Documents folders (user and common), each in
// CanonicalPathForCompare form. Folders the shell cannot report are left out.
std::vector<std::wstring> QueryProtectedFolders();

// The full path with long names (when the path exists), upper-cased by the
// system's own case mapping: two spellings of one folder compare equal.
std::wstring CanonicalPathForCompare(const std::wstring& path);
