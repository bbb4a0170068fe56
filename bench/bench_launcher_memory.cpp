// The working set of the real launcher while an update run installs a large file: starts
// ruVazoro.exe from an install folder with one large pending file, reads its working set once
// the window is open (idle), presses "检查更新", samples until the log says the run is done,
// then reads the peak and closes the window.
// Usage: bench_launcher_memory.exe PATH_OF_RUVAZORO.EXE
// Prints "idle_ws=<bytes> peak=<bytes> run_ms=<elapsed> ok=<1|0>".
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

#include "bench/BenchClock.h"
#include "framework/UniqueHandle.h"
#include "res/resource.h"

namespace {

struct WindowSearch {
    DWORD processId;
    HWND found;
};

HWND FindProcessWindow(DWORD processId) {
    WindowSearch search{processId, nullptr};
    EnumWindows(
        [](HWND hwnd, LPARAM parameter) -> BOOL {
            auto* s = reinterpret_cast<WindowSearch*>(parameter);
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            if (owner != s->processId || !IsWindowVisible(hwnd)) return TRUE;
            s->found = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring ControlText(HWND control) {
    const LRESULT length = SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got = SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(got));
    return text;
}

PROCESS_MEMORY_COUNTERS Counters(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process, &counters, sizeof counters);
    return counters;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_launcher_memory.exe PATH_OF_RUVAZORO.EXE\n");
        return 2;
    }
    std::wstring program = argv[1];
    std::wstring folder = program.substr(0, program.find_last_of(L'\\') + 1);
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &info))
        return 3;
    KernelHandle process(info.hProcess);
    KernelHandle thread(info.hThread);

    HWND window = nullptr;
    for (int i = 0; i < 300 && !(window = FindProcessWindow(info.dwProcessId)); ++i) Sleep(50);
    if (!window) return 4;
    Sleep(500);  // let the window settle
    const SIZE_T idle = Counters(process.get()).WorkingSetSize;

    const double started = NowMs();
    SendMessageW(GetDlgItem(window, IDC_CHECK_UPDATE), BM_CLICK, 0, 0);
    HWND log = GetDlgItem(window, IDC_LOG);
    bool done = false;
    while (!done && NowMs() - started < 600000) {
        const std::wstring text = ControlText(log);
        done = text.find(L"所有操作已完成！") != std::wstring::npos;
        if (!done && text.find(L"失败") != std::wstring::npos) break;
        Sleep(50);
    }
    const double elapsed = NowMs() - started;
    const SIZE_T peak = Counters(process.get()).PeakWorkingSetSize;

    PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.get(), 10000) != WAIT_OBJECT_0) TerminateProcess(process.get(), 1);
    std::printf("idle_ws=%zu peak=%zu run_ms=%.1f ok=%d\n", static_cast<size_t>(idle), static_cast<size_t>(peak),
                elapsed, done ? 1 : 0);
    return done ? 0 : 1;
}
