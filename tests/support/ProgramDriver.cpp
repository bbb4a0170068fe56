#include "ProgramDriver.h"

#include "WaitUntil.h"

namespace {

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\') + 1); }

struct WindowSearch {
    DWORD processId;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    if (search->className) {
        wchar_t name[256] = {};
        GetClassNameW(window, name, 256);
        if (lstrcmpW(name, search->className) != 0) return TRUE;
    }
    search->found = window;
    return FALSE;
}

}  // namespace

ProgramDriver::ProgramDriver(const std::wstring& program, const std::wstring& currentFolder,
                             const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    const std::wstring folder = currentFolder.empty() ? FolderOf(program) : currentFolder;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(),
                        &startup, &info))
        return;
    process_.reset(info.hProcess);
    KernelHandle thread(info.hThread);
    processId_ = info.dwProcessId;
}

ProgramDriver::~ProgramDriver() { Kill(); }

ProgramEnding ProgramDriver::WaitForEnd(DWORD timeoutMs) const {
    ProgramEnding ending;
    if (!process_ || WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) return ending;
    ending.ended = true;
    GetExitCodeProcess(process_.get(), &ending.exitCode);
    return ending;
}

void ProgramDriver::Kill() {
    if (!process_ || WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0) return;
    TerminateProcess(process_.get(), 0xDEAD);
    WaitForSingleObject(process_.get(), 10000);
}

HWND ProgramDriver::FindTopLevelWindow(const wchar_t* className) const {
    WindowSearch search{processId_, className, nullptr};
    if (processId_) EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ProgramDriver::WaitForTopLevelWindow(DWORD timeoutMs, const wchar_t* className) const {
    HWND window = nullptr;
    WaitUntil([&] { return (window = FindTopLevelWindow(className)) != nullptr; }, timeoutMs);
    return window;
}
