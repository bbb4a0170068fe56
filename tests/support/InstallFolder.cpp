#include "InstallFolder.h"

#include <windows.h>

#include "TestProgramFolder.h"
#include "WaitUntil.h"

std::wstring InstallProgram(const std::wstring& folder, const std::wstring& builtName,
                            const std::wstring& installedName) {
    const std::wstring destination = folder + installedName;
    if (!CopyFileW((TestProgramFolder() + builtName).c_str(), destination.c_str(), FALSE)) return {};
    return destination;
}

std::wstring InstallLauncher(const std::wstring& folder) { return InstallProgram(folder, L"ruVazoro.exe", L"ruVazoro.exe"); }

std::wstring InstallStubStartProgram(const std::wstring& folder, const std::wstring& name) {
    return InstallProgram(folder, L"stub_start.exe", name);
}

bool RemoveProgramWhenEnded(const std::wstring& program, unsigned long timeoutMs) {
    return WaitUntil(
        [&] { return DeleteFileW(program.c_str()) || GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES; },
        timeoutMs);
}
