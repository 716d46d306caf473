// The self-removal script's text: what it deletes, quoted for cmd.
#include "uninstall/self_removal.h"

#include <vector>

namespace {

const wchar_t kLineEnd[] = L"\r\n";

bool is_ascii_letter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

wchar_t ascii_lower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

std::wstring strip_trailing_backslashes(std::wstring path) {
    while (!path.empty() && path.back() == L'\\') path.pop_back();
    return path;
}

std::vector<std::wstring> split_components(const std::wstring& text) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;) {
        const size_t pos = text.find(L'\\', start);
        parts.push_back(text.substr(start, pos == std::wstring::npos ? std::wstring::npos : pos - start));
        if (pos == std::wstring::npos) break;
        start = pos + 1;
    }
    return parts;
}

// A component Windows takes as written: not empty, not "." or "..", and not
// ending in a dot or space (Windows drops those, so "a." would name "a").
bool is_plain_component(const std::wstring& name) {
    if (name.empty() || name == L"." || name == L"..") return false;
    return name.back() != L'.' && name.back() != L' ';
}

// Splits an absolute path into its root ("X:" or "\\server\share") and the
// components below it. False for anything that is not such a path.
bool split_absolute(const std::wstring& path, std::wstring& root, std::vector<std::wstring>& below) {
    for (const wchar_t c : path) {
        if (c < 0x20 || c == L'"' || c == L'/' || c == L'*' || c == L'?' || c == L'<' || c == L'>' || c == L'|') {
            return false;
        }
    }
    const std::wstring trimmed = strip_trailing_backslashes(path);
    std::wstring rest;
    if (trimmed.size() >= 2 && is_ascii_letter(trimmed[0]) && trimmed[1] == L':') {
        root = trimmed.substr(0, 2);
        if (trimmed.size() == 2) {
            below.clear();
            return true;
        }
        if (trimmed[2] != L'\\') return false;  // "C:dir" is relative to drive C's current folder
        rest = trimmed.substr(3);
    } else if (trimmed.size() > 2 && trimmed[0] == L'\\' && trimmed[1] == L'\\') {
        const std::vector<std::wstring> parts = split_components(trimmed.substr(2));
        if (parts.size() < 2 || !is_plain_component(parts[0]) || !is_plain_component(parts[1])) return false;
        root = L"\\\\" + parts[0] + L"\\" + parts[1];
        below.assign(parts.begin() + 2, parts.end());
        for (const std::wstring& part : below) {
            if (!is_plain_component(part)) return false;
        }
        return root.find(L':') == std::wstring::npos;
    } else {
        return false;
    }
    if (rest.find(L':') != std::wstring::npos) return false;  // alternate data streams
    below = split_components(rest);
    for (const std::wstring& part : below) {
        if (!is_plain_component(part)) return false;
    }
    return true;
}

std::wstring code_page_line(unsigned console_code_page) {
    if (console_code_page == 0) return std::wstring();
    return L"chcp " + std::to_wstring(console_code_page) + L" >nul" + kLineEnd;
}

}  // namespace

std::wstring EscapeForBatchQuotes(const std::wstring& path) {
    std::wstring out;
    out.reserve(path.size());
    for (const wchar_t c : path) {
        out.push_back(c);
        if (c == L'%') out.push_back(L'%');
    }
    return out;
}

bool IsScriptablePath(const std::wstring& path) {
    std::wstring root;
    std::vector<std::wstring> below;
    return split_absolute(path, root, below);
}

bool IsRemovableFolder(const std::wstring& dir) {
    std::wstring root;
    std::vector<std::wstring> below;
    return split_absolute(dir, root, below) && !below.empty();
}

bool IsSameOrAncestorFolder(const std::wstring& folder, const std::wstring& inner) {
    auto normal = [](const std::wstring& path) {
        std::wstring out;
        for (const wchar_t c : path) out.push_back(c == L'/' ? L'\\' : ascii_lower(c));
        return strip_trailing_backslashes(out);
    };
    const std::wstring a = normal(folder);
    const std::wstring b = normal(inner);
    if (a.empty() || b.size() < a.size() || b.compare(0, a.size(), a) != 0) return false;
    return b.size() == a.size() || b[a.size()] == L'\\';
}

std::wstring BuildSelfDeleteOnlyScript(unsigned console_code_page) {
    return L"@ echo off" + std::wstring(kLineEnd) + code_page_line(console_code_page) + L"del \"%~f0\"";
}

std::wstring BuildSelfRemovalScript(const std::wstring& install_dir, bool remove_install_dir,
                                    unsigned console_code_page) {
    if (!IsScriptablePath(install_dir)) return BuildSelfDeleteOnlyScript(console_code_page);
    const std::wstring dir = EscapeForBatchQuotes(strip_trailing_backslashes(install_dir));
    const std::wstring exe = L"\"" + dir + L"\\uninstaller.exe\"";
    const std::wstring nl = kLineEnd;

    // The uninstaller may still be running when cmd starts the script: retry the
    // deletion for about ten seconds (ping, since not every cmd has "timeout").
    // The folder goes only after that, so its removal never races the process.
    std::wstring text = L"@ echo off" + nl;
    text += code_page_line(console_code_page);
    text += L"setlocal DisableDelayedExpansion" + nl;
    text += L"set tries=0" + nl;
    text += L":retry" + nl;
    text += L"del /f " + exe + L" >nul 2>&1" + nl;
    text += L"if not exist " + exe + L" goto removed" + nl;
    text += L"set /a tries+=1" + nl;
    text += L"if %tries% geq 10 goto removed" + nl;
    text += L"ping -n 2 127.0.0.1 >nul" + nl;
    text += L"goto retry" + nl;
    text += L":removed" + nl;
    if (remove_install_dir && IsRemovableFolder(install_dir)) {
        text += L"rmdir /s/q \"" + dir + L"\"";
    }
    text += nl + L"del \"%~f0\"";
    return text;
}
