// INI loaders over iniparser's dictionary: from a file and from text in memory.
#pragma once

#include <string>

#include <dictionary.h>

// Where the loaders' reports go. Setting it also sets iniparser's own callback,
// so the file loader and the in-memory loader report to the same place. The
// default writes to the standard error stream.
using ini_error_callback = int (*)(const char* format, ...);
void SetIniErrorCallback(ini_error_callback callback);

// Parses zero-terminated INI text with iniparser's line grammar; gives the same
// dictionary as iniparser_load on a file holding the text. Null on any error: no
// text, empty text, a syntax error, or a line (with its continuations) longer
// than iniparser's line buffer. Release with iniparser_freedict.
dictionary* LoadIniFromBuffer(const char* text);

// Loads a file with iniparser_load after switching the process locale to the
// user's default. `path` is a Windows path (backslashes work on every
// platform). Null when the file cannot be opened or has a syntax error.
dictionary* LoadIniFile(const std::string& path);
