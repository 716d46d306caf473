// The batch script that removes the uninstaller (and, when allowed, the
// installation folder) after the process has ended.
#pragma once

#include <string>

// Writes DeleteBat.bat into the temporary folder and starts it hidden with the
// verb "runas". The script waits (bounded, about ten seconds) until
// install_dir\uninstaller.exe can be deleted, deletes it, removes install_dir
// with its contents when remove_install_dir is set and the folder is safe to
// remove, and deletes itself. Nothing is written or started when the temporary
// folder cannot be found or the script cannot be written whole.
void LaunchSelfRemoval(const std::wstring& install_dir, bool remove_install_dir);

// Converts path and text to the thread's ANSI code page (no best-fit mapping; a
// character the code page lacks becomes its default character) and writes the
// text, without BOM or NUL, replacing the file. Returns the number of bytes
// written, or -1 when the file cannot be opened.
int WriteNarrowTextFile(const std::wstring& path, const std::wstring& text);

// Portable pieces, tested on every platform.

// The script's full text (UTF-16, CR LF between lines, none after the last).
// console_code_page: when not 0, the script first switches the console to that
// code page (the one the text is encoded in) so that cmd reads non-ASCII paths
// as written. A folder that cannot be named safely in a batch line (not an
// absolute path, or holding a quote or control character) yields the script
// that only deletes itself; a folder that is not safe to remove as a whole
// (a drive root, a "." or ".." component, wildcards) keeps the folder.
std::wstring BuildSelfRemovalScript(const std::wstring& install_dir, bool remove_install_dir,
                                    unsigned console_code_page);
// The script that only deletes itself.
std::wstring BuildSelfDeleteOnlyScript(unsigned console_code_page);

// The path as it goes between quotes in a batch line: every '%' doubled (a batch
// file expands %...% even inside quotes).
std::wstring EscapeForBatchQuotes(const std::wstring& path);
// An absolute path (drive letter or UNC) without quotes or control characters.
bool IsScriptablePath(const std::wstring& path);
// A folder the script may remove with everything in it: scriptable, not a drive
// or share root, no "." or ".." component, no wildcard.
bool IsRemovableFolder(const std::wstring& dir);
// True when `folder` is `inner` or one of its ancestors (case-insensitive for
// ASCII letters; either separator; trailing separators ignored).
bool IsSameOrAncestorFolder(const std::wstring& folder, const std::wstring& inner);

#ifdef _WIN32
// LaunchSelfRemoval with the temporary folder given (GetTempPathW's answer, with
// its trailing backslash). An empty folder writes and starts nothing. True when
// the script was written whole and started.
bool LaunchSelfRemovalIn(const std::wstring& temp_folder, const std::wstring& install_dir,
                         bool remove_install_dir);
// Whether the folder may be removed as a whole: removable by name, not a system
// or user folder nor one of their ancestors, and no link anywhere inside (a
// recursive removal by cmd may follow one out of the folder).
bool FolderMayBeRemoved(const std::wstring& dir);
#endif
