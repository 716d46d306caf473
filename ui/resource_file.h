// Reading a whole file of the skin's resource folder (used when no archive is
// set). Errors are results; nothing throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class ui_file_result { ok, cannot_open, empty, too_large, read_error };

// Reads the file at path (UTF-16 on Windows; converted to UTF-8 elsewhere).
// A file larger than max_size is refused before reading.
ui_file_result ui_read_file(const std::wstring& path, std::vector<uint8_t>& out, size_t max_size);
