#include "report/wide_to_utf8.h"

#include <windows.h>

#include <system_error>
#include <vector>

std::string WideToUtf8(const std::wstring& text) {
    // Four bytes per UTF-16 unit always suffice; the second round is for safety.
    std::vector<char> buffer(text.size() * 4 + 4);
    int written = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, buffer.data(), static_cast<int>(buffer.size()),
                                      nullptr, nullptr);
    if (written == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        const int needed = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
        if (needed > 0) {
            buffer.assign(static_cast<size_t>(needed), '\0');
            written = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, buffer.data(), needed, nullptr, nullptr);
        }
    }
    if (written == 0) {
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "WideToUtf8");
    }
    return std::string(buffer.data());
}
