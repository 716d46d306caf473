#include "report/optional_calls_win.h"

#include <string>

namespace {

template <typename Fn>
Fn Find(HMODULE module, const char* name) {
    if (!module) return nullptr;
    // GetProcAddress hands out a generic function pointer; the caller knows its type.
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
    // By full path from the system folder, never from the folder of the program
    // (which a user may have filled with anything).
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    std::wstring path(folder, length);
    path += L'\\';
    path += name;
    return LoadLibraryW(path.c_str());
}

}  // namespace

IsWow64ProcessFn LookUpIsWow64Process() {
    static const IsWow64ProcessFn fn = Find<IsWow64ProcessFn>(GetModuleHandleW(L"kernel32"), "IsWow64Process");
    return fn;
}

CreateDXGIFactoryFn LookUpCreateDXGIFactory() {
    // Loaded once and kept for the rest of the process.
    static const CreateDXGIFactoryFn fn =
        Find<CreateDXGIFactoryFn>(LoadSystemLibrary(L"dxgi.dll"), "CreateDXGIFactory");
    return fn;
}
