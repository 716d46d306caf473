#include "config/ini_loader.h"

#include <cctype>
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <iniparser.h>

#include "system/file_util.h"

namespace {

// iniparser's ASCIILINESZ: its line, section, key and value buffers hold this
// many characters plus the terminator.
constexpr int kLineSize = 1024;

int default_error_callback(const char* format, ...) {
    va_list args;
    va_start(args, format);
    int written = std::vfprintf(stderr, format, args);
    va_end(args);
    return written;
}

ini_error_callback g_error_callback = default_error_callback;

bool is_space(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// Strips blanks at both ends in place, as iniparser does; returns the new length.
size_t strip(char* s) {
    char* start = s;
    char* last = s + std::strlen(s);
    while (*start && is_space(*start)) ++start;
    while (last > start && is_space(last[-1])) --last;
    *last = '\0';
    std::memmove(s, start, size_t(last - start) + 1);
    return size_t(last - start);
}

// Lower-cases at most len-1 characters in place and terminates there.
void lower_in_place(char* s, size_t len) {
    if (len == 0) return;
    size_t i = 0;
    while (s[i] != '\0' && i < len - 1) {
        s[i] = char(std::tolower(static_cast<unsigned char>(s[i])));
        ++i;
    }
    s[i] = '\0';
}

// Removes the quoting of a quoted value: backslash escapes the next
// character, the first unescaped quote ends the value.
void unquote(char* value, char quote) {
    const std::string quoted(value);
    size_t out = 0;
    bool escaped = false;
    for (char c : quoted) {
        if (!escaped) {
            if (c == '\\') {
                escaped = true;
                continue;
            }
            if (c == quote) break;
        }
        escaped = false;
        value[out++] = c;
    }
    value[out] = '\0';
}

enum class line_kind { empty, comment, section, value, error };

// iniparser's line grammar. `section` keeps its contents between lines (the
// current section); `key` and `value` are outputs for value lines. Every
// buffer holds kLineSize + 1 bytes and `input` at most kLineSize characters.
line_kind parse_line(const char* input, char* section, char* key, char* value) {
    char line[kLineSize + 1];
    std::strcpy(line, input);
    const size_t len = strip(line);

    if (len < 1) return line_kind::empty;
    if (line[0] == '#' || line[0] == ';') return line_kind::comment;
    if (line[0] == '[' && line[len - 1] == ']') {
        std::sscanf(line, "[%[^\n]", section);
        const size_t section_len = std::strlen(section);
        // "[]" matches nothing and leaves the previous section in place.
        if (section_len > 0 && section[section_len - 1] == ']') section[section_len - 1] = '\0';
        strip(section);
        lower_in_place(section, section_len);
        return line_kind::section;
    }
    int double_quoted = std::sscanf(line, "%[^=] = \"%[^\n]\"", key, value);
    if (double_quoted == 2 || std::sscanf(line, "%[^=] = '%[^\n]'", key, value) == 2) {
        strip(key);
        lower_in_place(key, len);
        unquote(value, double_quoted == 2 ? '"' : '\'');
        return line_kind::value;
    }
    if (std::sscanf(line, "%[^=] = %[^;#]", key, value) == 2) {
        strip(key);
        lower_in_place(key, len);
        strip(value);
        if (!std::strcmp(value, "\"\"") || !std::strcmp(value, "''")) value[0] = '\0';
        return line_kind::value;
    }
    if (std::sscanf(line, "%[^=] = %[;#]", key, value) == 2 || std::sscanf(line, "%[^=] %[=]", key, value) == 2) {
        strip(key);
        lower_in_place(key, len);
        value[0] = '\0';
        return line_kind::value;
    }
    return line_kind::error;
}

struct dictionary_deleter {
    void operator()(dictionary* d) const { iniparser_freedict(d); }
};
using dictionary_ptr = std::unique_ptr<dictionary, dictionary_deleter>;

// Reads like fgets on a stream over `text`: at most `room - 1` characters,
// stopping after a line feed. `at_end` becomes true when the read ran into the
// end of the text, as the stream's end-of-file flag would.
bool read_line(const char*& pos, char* out, int room, bool& at_end) {
    if (*pos == '\0') {
        at_end = true;
        return false;
    }
    int n = 0;
    while (n < room - 1) {
        const char c = *pos;
        if (c == '\0') {
            at_end = true;
            break;
        }
        out[n++] = c;
        ++pos;
        if (c == '\n') break;
    }
    out[n] = '\0';
    return true;
}

}  // namespace

void SetIniErrorCallback(ini_error_callback callback) {
    g_error_callback = callback ? callback : default_error_callback;
    iniparser_set_error_callback(g_error_callback);
}

dictionary* LoadIniFromBuffer(const char* text) {
    if (!text) {
        g_error_callback("iniparser: buffer null");
        return nullptr;
    }
    if (*text == '\0') {
        g_error_callback("iniparser: buffer empty");
        return nullptr;
    }
    dictionary_ptr dict(dictionary_new(0));
    if (!dict) return nullptr;

    char line[kLineSize + 1] = {};
    char section[kLineSize + 1] = {};
    char key[kLineSize + 1] = {};
    char value[kLineSize + 1] = {};
    char full_key[2 * kLineSize + 2];

    const char* pos = text;
    bool at_end = false;
    int last = 0;  // continuation offset: where the next line is copied to
    int line_number = 0;
    int errors = 0;

    // The text is read the way iniparser reads a file, so that every text gives
    // the dictionary iniparser_load gives: a line that does not fit the buffer
    // behind its continuation rejects the whole text.
    while (read_line(pos, line + last, kLineSize - last, at_end)) {
        ++line_number;
        int len = int(std::strlen(line)) - 1;
        if (len <= 0) continue;
        if (line[len] != '\n' && !at_end) {
            g_error_callback("iniparser: input line too long in buffer (%d)\n", line_number);
            return nullptr;
        }
        while (len >= 0 && (line[len] == '\n' || is_space(line[len]))) {
            line[len] = '\0';
            --len;
        }
        if (len < 0) len = 0;
        if (line[len] == '\\') {
            last = len;
            continue;
        }
        last = 0;

        int stored = 0;
        switch (parse_line(line, section, key, value)) {
            case line_kind::empty:
            case line_kind::comment:
                break;
            case line_kind::section:
                stored = dictionary_set(dict.get(), section, nullptr);
                break;
            case line_kind::value:
                std::snprintf(full_key, sizeof full_key, "%s:%s", section, key);
                stored = dictionary_set(dict.get(), full_key, value);
                break;
            case line_kind::error:
                g_error_callback("iniparser: syntax error in (%d):\n->\n", line_number);
                ++errors;
                break;
        }
        std::memset(line, 0, sizeof line);
        if (stored < 0) {
            g_error_callback("iniparser: memory allocation failure\n");
            break;
        }
    }
    if (errors) return nullptr;
    return dict.release();
}

dictionary* LoadIniFile(const std::string& path) {
    std::setlocale(LC_ALL, "");
    return iniparser_load(native_path(path).c_str());
}
