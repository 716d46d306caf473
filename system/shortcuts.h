// The game's entries in the Windows shell: its Start-menu folder, the uninstall
// shortcut beside that folder, and the desktop shortcut, all named after the
// edition's display name.
#pragma once

#include <string>

// Removes <programs>\<name>, <programs>\卸载<name>.lnk and <desktop>\<name>.lnk.
// The all-users folders are used when they hold the entry (the game's folder
// for both Start-menu entries, the shortcut for the desktop), the current
// user's otherwise. A name that is not a plain file name ("", "..", one with a
// separator) and a folder the shell cannot report remove nothing. Always true.
// An existence test that fails for another reason than absence throws
// std::filesystem::filesystem_error (from the file utility).
bool remove_shortcuts(const std::wstring& display_name);

// The shell's Start-menu programs folder and desktop folder, all users' when
// `common` is set, the current user's otherwise; "" when the shell cannot say.
std::wstring get_programs_folder(bool common);
std::wstring get_desktop_folder(bool common);
