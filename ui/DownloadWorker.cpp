#include "ui/DownloadWorker.h"

#include "ui/DownloadFailureText.h"
#include "update/FetchCancel.h"

namespace {

// Time the window waits for a worker that has already posted its last message.
constexpr DWORD kFinishingWorkerWaitMs = 5000;

// Everything one worker thread uses. The thread owns it; the log and the cancel token are
// shared with the window, so the thread never touches the window object.
struct WorkerJob {
    UINT doneMessage;
    std::wstring host;
    FetchRequest request;
    std::shared_ptr<WorkerLog> log;
    std::shared_ptr<FetchCancel> cancel;
};

DWORD WINAPI DownloadThreadProc(void* parameter) {
    std::unique_ptr<WorkerJob> job(static_cast<WorkerJob*>(parameter));
    FetchResult result = HttpFetch(job->request);
    if (result.Succeeded()) {
        job->log->Post(job->doneMessage);
        return 0;
    }
    // Stopped by the window: it is going away and waits for nothing more.
    if (result.outcome == FetchOutcome::Cancelled) return 1;
    DownloadFailureText text = DescribeDownloadFailure(result, job->host);
    if (!text.debug.empty()) OutputDebugStringW(text.debug.c_str());
    if (!text.log.empty()) job->log->Append(text.log);
    job->log->Post(kDownloadFailedMessage);
    return 1;
}

}  // namespace

DownloadWorker::DownloadWorker(HWND window, std::wstring host) : window_(window), host_(std::move(host)) {}

DownloadWorker::~DownloadWorker() { Stop(2000); }

void DownloadWorker::StartDownload(const std::wstring& url, const std::wstring& file, UINT doneMessage) {
    if (IsBusy()) return;
    m_strDownloadUrl = url;
    m_strDownloadFile = file;
    m_nDoneMessage = doneMessage;
    log_ = std::make_shared<WorkerLog>(window_, kWorkerLogMessage);
    cancel_ = std::make_shared<FetchCancel>();

    auto job = std::make_unique<WorkerJob>(WorkerJob{
        doneMessage, host_, FetchRequest{url, file, chunkBytes, timeouts, cancel_.get()}, log_, cancel_});
    m_hThread.reset(CreateThread(nullptr, 0, DownloadThreadProc, job.get(), 0, &m_dwThreadId));
    if (!m_hThread) {
        MarkIdle();
        return;
    }
    job.release();  // the thread owns its job now
}

void DownloadWorker::OnWorkerFinished() {
    if (m_hThread) WaitForSingleObject(m_hThread.get(), kFinishingWorkerWaitMs);
    MarkIdle();
}

bool DownloadWorker::Stop(DWORD timeoutMs) {
    if (!m_hThread) return true;
    if (log_) log_->Close();
    if (cancel_) cancel_->Cancel();
    bool ended = WaitForSingleObject(m_hThread.get(), timeoutMs) == WAIT_OBJECT_0;
    MarkIdle();
    return ended;
}

void DownloadWorker::MarkIdle() {
    m_hThread.reset();
    m_dwThreadId = 0;
    m_strDownloadUrl.clear();
    m_strDownloadFile.clear();
}
