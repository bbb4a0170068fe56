// Times one download through the download worker as the update run makes it: a hidden window
// on this thread, StartDownload, then the message loop until the done or the failed message.
// Usage: bench_worker_download.exe URL DESTINATION
// Prints "ms=<elapsed> ok=<1|0>".
#include <windows.h>

#include <cstdio>
#include <memory>

#include "bench/BenchClock.h"
#include "ui/DownloadWorker.h"

namespace {

constexpr UINT kDone = WM_USER + 116;

struct Outcome {
    DownloadWorker* worker = nullptr;
    bool finished = false;
    bool ok = false;
};

LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* outcome = reinterpret_cast<Outcome*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (outcome && outcome->worker) {
        if (message == kWorkerLogMessage) {
            std::fwprintf(stderr, L"%ls", outcome->worker->TakeLog().c_str());
            return 0;
        }
        if (message == kDone || message == kDownloadFailedMessage) {
            outcome->worker->OnWorkerFinished();
            outcome->finished = true;
            outcome->ok = message == kDone;
            return 0;
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_worker_download.exe URL DESTINATION\n");
        return 2;
    }
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ZvBenchWorkerWindow";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  windowClass.hInstance, nullptr);
    if (!window) return 3;

    Outcome outcome;
    auto worker = std::make_unique<DownloadWorker>(window, L"127.0.0.1");
    outcome.worker = worker.get();
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&outcome));

    const double started = NowMs();
    worker->StartDownload(argv[1], argv[2], kDone);
    MSG msg;
    while (!outcome.finished && GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    const double elapsed = NowMs() - started;

    outcome.worker = nullptr;
    worker.reset();
    DestroyWindow(window);
    std::printf("ms=%.1f ok=%d\n", elapsed, outcome.ok ? 1 : 0);
    return outcome.ok ? 0 : 1;
}
