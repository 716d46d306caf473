// Display names of the game's editions: the name under which the installer
// registered the Start-menu folder, the shortcuts and the uninstall entry.
#pragma once

#include <string>

// Maps the last component of a full registry key path (the edition key) to the
// edition's display name. A key not in the table is its own display name. A path
// without a backslash, or one that ends with a backslash, yields "".
std::wstring EditionDisplayNameFromKeyPath(const std::wstring& key_path);
