// Stands in for uninstaller.exe in the self-removal tests: copied into a game
// folder under that name, it launches the real script for its own folder, as the
// wizard's finish button does.
//
//   removal_probe <temp folder> <0|1: remove the folder> [hold]
//
// With "hold" it stays alive until the script has begun waiting for it (a ping
// started by the script's retry loop shows up), so the script finds the
// executable still running. Exit code 0, or 3 when the script ended without
// ever waiting.
#include <windows.h>
#include <tlhelp32.h>

#include <cwchar>
#include <string>

#include "uninstall/self_removal.h"

namespace {

struct seen {
    bool cmd = false;
    bool ping = false;
};

seen scan_processes() {
    seen result;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return result;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL ok = Process32FirstW(snapshot, &entry); ok; ok = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, L"cmd.exe") == 0) result.cmd = true;
        if (_wcsicmp(entry.szExeFile, L"ping.exe") == 0) result.ping = true;
    }
    CloseHandle(snapshot);
    return result;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    SetEnvironmentVariableW(L"TMP", argv[1]);
    SetEnvironmentVariableW(L"TEMP", argv[1]);
    wchar_t self[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 2;
    std::wstring dir(self, n);
    dir.resize(dir.rfind(L'\\'));

    LaunchSelfRemoval(dir, std::wcscmp(argv[2], L"1") == 0);

    if (argc > 3 && std::wcscmp(argv[3], L"hold") == 0) {
        for (;;) {
            const seen now = scan_processes();
            if (now.ping) break;
            if (!now.cmd) ExitProcess(3);
            Sleep(20);
        }
    }
    ExitProcess(0);
}
