#include "app/Launcher.h"

#include <windows.h>

#include "app/paths/PathHelpers.h"
#include "framework/UniqueHandle.h"

std::wstring StartProgramName(bool systemIs64Bit) {
    return systemIs64Bit ? L"reDoriVeza64.exe" : L"reDoriVeza.exe";
}

bool SystemIs64Bit() {
#ifdef _WIN64
    return true;
#else
    // Looked up at run time: systems without WOW64 do not export the entry.
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    BOOL wow64 = FALSE;
    HMODULE kernel = GetModuleHandleW(L"kernel32");
    auto isWow64Process =
        kernel ? reinterpret_cast<IsWow64ProcessFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")))
               : nullptr;
    if (isWow64Process) isWow64Process(GetCurrentProcess(), &wow64);
    return wow64 != FALSE;
#endif
}

std::wstring StartProgramCommandLine(const std::wstring& path) { return L"\"" + path + L"\" Zorvik"; }

namespace {

// Starts the program shown normally, without waiting for it. The outcome is not reported:
// the caller goes on the same way whether or not the start succeeded.
void StartDetached(const std::wstring& path) {
    std::wstring commandLine = StartProgramCommandLine(path);  // CreateProcessW may write into it
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return;
    KernelHandle processHandle(process.hProcess);
    KernelHandle threadHandle(process.hThread);
}

}  // namespace

int LaunchWorkstation(const Locations& locations) {
    std::wstring path = locations.programFolder + StartProgramName(SystemIs64Bit());
    if (!FileExists(path)) return 1;
    StartDetached(path);
    return 0;
}
