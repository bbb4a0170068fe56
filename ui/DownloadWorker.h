// One background download at a time for the update window.
//
// The window's thread owns every field here. A worker thread gets its own copy of the request
// and reports only by posting, through that download's WorkerLog: its log text, then either
// the request's completion message or kDownloadFailedMessage. When either arrives, the window
// calls OnWorkerFinished, which joins the finished thread and makes the worker idle, so a
// download requested right after is always accepted and gets a new thread. A stopped
// download posts nothing more.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "framework/UniqueHandle.h"
#include "ui/WorkerLog.h"
#include "update/HttpFetch.h"

class FetchCancel;

inline constexpr UINT kWorkerLogMessage = WM_APP + 1;       // queued log text is waiting
inline constexpr UINT kDownloadFailedMessage = WM_APP + 2;  // the download failed; the worker has ended

class DownloadWorker {
public:
    // host: the update site's host, named in the connection-failure text.
    DownloadWorker(HWND window, std::wstring host);
    ~DownloadWorker();  // cancels a running download and waits for it, bounded
    DownloadWorker(const DownloadWorker&) = delete;
    DownloadWorker& operator=(const DownloadWorker&) = delete;

    // Drops the request when a download is in progress (the URL is the busy flag).
    void StartDownload(const std::wstring& url, const std::wstring& file, UINT doneMessage);
    bool IsBusy() const { return !m_strDownloadUrl.empty(); }

    // The window's thread, when the completion or failure message arrives.
    void OnWorkerFinished();
    // The window's thread, on kWorkerLogMessage.
    std::wstring TakeLog() { return log_ ? log_->Take() : std::wstring(); }

    // Cancels a running download and waits up to timeoutMs for its thread. From the call on,
    // that download posts nothing, also when its thread outlives the wait. True when no worker
    // is left running.
    bool Stop(DWORD timeoutMs);

    // Request parameters; tests shorten them.
    std::size_t chunkBytes = kWorkerChunkBytes;
    FetchTimeouts timeouts = kWorkerFetchTimeouts;

private:
    void MarkIdle();

    HWND window_;
    std::wstring host_;
    std::shared_ptr<WorkerLog> log_;       // of the latest download
    std::shared_ptr<FetchCancel> cancel_;  // of the latest download

    KernelHandle m_hThread;
    DWORD m_dwThreadId = 0;
    std::wstring m_strDownloadUrl;
    std::wstring m_strDownloadFile;
    UINT m_nDoneMessage = 0;
};
