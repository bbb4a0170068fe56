// The download worker against the loopback server, with a hidden window on the test's thread
// standing in for the update window: it appends the worker's log text, calls
// OnWorkerFinished on the done and failed messages, and records which of them arrived.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/FolderEntries.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/ReadFileBytes.h"
#include "tests/support/TempDir.h"
#include "tests/support/WriteFileBytes.h"
#include "ui/DownloadWorker.h"
#include "ui/WorkerLog.h"

namespace {

constexpr UINT kDone = WM_USER + 116;
constexpr UINT kOtherDone = WM_USER + 100;
constexpr DWORD kArrivalTimeoutMs = 20000;
// How long the tests go on pumping to see that nothing more arrives.
constexpr DWORD kQuietMs = 700;
constexpr char kOld[] = "old content\r\n";

std::string PatternBytes(std::uint64_t length) {
    std::string bytes(length, '\0');
    for (std::uint64_t i = 0; i < length; ++i) bytes[i] = static_cast<char>(LoopbackHttpServer::PatternByte(i));
    return bytes;
}

ScriptedReply Trickle(std::uint64_t length, std::size_t piece, unsigned pauseMs) {
    ScriptedReply reply = ScriptedReply::Pattern(length);
    reply.trickleBytes = piece;
    reply.trickleMs = pauseMs;
    return reply;
}

// Pumps the test thread's messages until cond holds or timeoutMs have passed.
bool PumpUntil(const std::function<bool()>& cond, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        if (cond()) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(end - now, 50)),
                                  QS_ALLINPUT);
    }
}

void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

// A hidden message-only window that plays the update window's part for the worker.
class WorkerWindow {
public:
    explicit WorkerWindow(const std::wstring& host) {
        static const ATOM atom = [] {
            WNDCLASSW c{};
            c.lpfnWndProc = Proc;
            c.hInstance = GetModuleHandleW(nullptr);
            c.lpszClassName = L"ZvWorkerTestWindow";
            return RegisterClassW(&c);
        }();
        hwnd_ = CreateWindowExW(0, MAKEINTATOM(atom), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        worker_ = std::make_unique<DownloadWorker>(hwnd_, host);
    }
    ~WorkerWindow() {
        worker_.reset();
        DestroyWindow(hwnd_);
    }
    WorkerWindow(const WorkerWindow&) = delete;
    WorkerWindow& operator=(const WorkerWindow&) = delete;

    HWND Handle() const { return hwnd_; }
    DownloadWorker& Worker() { return *worker_; }
    bool PumpUntilArrivals(std::size_t count, DWORD timeoutMs = kArrivalTimeoutMs) {
        return PumpUntil([&] { return arrivals.size() >= count; }, timeoutMs);
    }

    std::wstring log;
    std::vector<UINT> arrivals;             // the done and failed messages, in order
    unsigned logWakeUps = 0;
    std::function<void(UINT)> onArrival;    // runs after OnWorkerFinished, as the run's next step

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<WorkerWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (!self || !self->worker_) return DefWindowProcW(hwnd, message, wParam, lParam);
        if (message == kWorkerLogMessage) {
            ++self->logWakeUps;
            self->log += self->worker_->TakeLog();
            return 0;
        }
        if (message == kDownloadFailedMessage || (message >= WM_USER && message < WM_APP)) {
            self->worker_->OnWorkerFinished();
            self->arrivals.push_back(message);
            if (self->onArrival) self->onArrival(message);
            return 0;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    HWND hwnd_ = nullptr;
    std::unique_ptr<DownloadWorker> worker_;
};

class DownloadWorkerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server_.Listening()); }

    // Files in the download folder other than the given ones: leftovers of a failed download.
    std::vector<std::wstring> Leftovers(const std::vector<std::wstring>& expected) const {
        std::vector<std::wstring> extra;
        for (const std::wstring& name : FolderEntries(dir_.Path()))
            if (std::find(expected.begin(), expected.end(), name) == expected.end()) extra.push_back(name);
        return extra;
    }

    TempDir dir_{L"zv worker"};
    LoopbackHttpServer server_;
    WorkerWindow window_{server_.HostPortW()};
};

TEST_F(DownloadWorkerTest, DownloadsIntoANewSubFolderAndPostsItsMessage) {
    struct Case {
        const char* name;
        ScriptedReply reply;
        std::string expected;
    };
    const std::uint64_t large = 3 * kWorkerChunkBytes + 4321;
    ScriptedReply noContent = ScriptedReply::Status(204, "No Content");
    noContent.announceLength = false;
    const Case cases[] = {
        {"several chunks", ScriptedReply::Pattern(large), PatternBytes(large)},
        {"zero bytes with status 200", ScriptedReply::Ok(""), ""},
        {"204 without a body", noContent, ""},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = "/update/file" + std::to_string(++n);
        const std::wstring destination = dir_ / (L"zvTemp\\sub " + std::to_wstring(n) + L"\\文件.bin");
        server_.SetReply(path, c.reply);
        window_.arrivals.clear();

        window_.Worker().StartDownload(server_.Url(path), destination, kDone);
        ASSERT_TRUE(window_.PumpUntilArrivals(1));
        PumpFor(100);

        EXPECT_EQ(window_.arrivals, std::vector<UINT>{kDone});
        EXPECT_FALSE(window_.Worker().IsBusy());
        EXPECT_EQ(GetFileAttributesW(destination.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u) << "the file exists";
        EXPECT_TRUE(ReadFileBytes(destination) == c.expected) << "the stored bytes differ";
        EXPECT_EQ(window_.log, L"");
    }
}

TEST_F(DownloadWorkerTest, ARequestWhileBusyIsDropped) {
    server_.SetReply("/update/first", Trickle(200000, 20000, 30));
    server_.SetReply("/update/second", ScriptedReply::Ok("second"));
    const std::wstring first = dir_ / L"first.bin";
    const std::wstring second = dir_ / L"second.bin";

    window_.Worker().StartDownload(server_.Url("/update/first"), first, kDone);
    EXPECT_TRUE(window_.Worker().IsBusy());
    window_.Worker().StartDownload(server_.Url("/update/second"), second, kOtherDone);
    ASSERT_TRUE(window_.PumpUntilArrivals(1));
    PumpFor(kQuietMs);

    EXPECT_EQ(window_.arrivals, std::vector<UINT>{kDone});
    EXPECT_TRUE(ReadFileBytes(first) == PatternBytes(200000));
    EXPECT_EQ(GetFileAttributesW(second.c_str()), INVALID_FILE_ATTRIBUTES);
    const std::vector<RecordedRequest> requests = server_.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target, "/update/first");

    // Once the first has arrived, the next request is taken.
    window_.Worker().StartDownload(server_.Url("/update/second"), second, kOtherDone);
    ASSERT_TRUE(window_.PumpUntilArrivals(2));
    EXPECT_EQ(window_.arrivals, (std::vector<UINT>{kDone, kOtherDone}));
    EXPECT_EQ(ReadFileBytes(second), "second");
}

// Every failure says why in the log, posts the failed message and no done message, and leaves
// the file at the destination as it was.
TEST_F(DownloadWorkerTest, FailuresAreLoggedAndLeaveTheDestinationAlone) {
    ScriptedReply cutShort = ScriptedReply::Pattern(3 * kWorkerChunkBytes);
    cutShort.sendOnly = kWorkerChunkBytes + 100;
    ScriptedReply cutBeforeBody = ScriptedReply::Pattern(5000);
    cutBeforeBody.sendOnly = 0;
    ScriptedReply stalls = ScriptedReply::Pattern(100000);
    stalls.sendOnly = 1500;
    stalls.holdAfterSendOnly = true;

    struct Case {
        const char* name;
        ScriptedReply reply;
        std::wstring log;  // "%u" stands for the URL
    };
    const Case cases[] = {
        {"404", ScriptedReply::Status(404, "Not Found", "missing"), L"文件下载失败，HTTP状态码：404\r\n\r\n"},
        {"503", ScriptedReply::Status(503, "Service Unavailable"), L"文件下载失败，HTTP状态码：503\r\n\r\n"},
        {"300 is no success", ScriptedReply::Status(300, "Multiple Choices"), L"文件下载失败，HTTP状态码：300\r\n\r\n"},
        {"closed after a chunk, short of Content-Length", cutShort, L"文件下载不完整：%u\r\n\r\n"},
        {"closed before the body", cutBeforeBody, L"文件下载不完整：%u\r\n\r\n"},
        {"stalls in mid-body until the read fails", stalls, L"文件下载不完整：%u\r\n\r\n"},
    };
    window_.Worker().timeouts.receiveMs = 1500;  // the stalled read fails soon
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = "/update/bad" + std::to_string(++n);
        const std::wstring url = server_.Url(path);
        const std::wstring destination = dir_ / (L"zvTemp\\bad" + std::to_wstring(n) + L".exe");
        ASSERT_TRUE(WriteFileBytes(destination, kOld));
        server_.SetReply(path, c.reply);
        window_.arrivals.clear();
        window_.log.clear();

        window_.Worker().StartDownload(url, destination, kDone);
        ASSERT_TRUE(window_.PumpUntilArrivals(1));
        PumpFor(100);

        EXPECT_EQ(window_.arrivals, std::vector<UINT>{kDownloadFailedMessage});
        std::wstring expected = c.log;
        if (std::size_t at = expected.find(L"%u"); at != std::wstring::npos) expected.replace(at, 2, url);
        EXPECT_EQ(window_.log, expected);
        EXPECT_EQ(ReadFileBytes(destination), kOld);
        EXPECT_EQ(FolderEntries(dir_ / L"zvTemp"), std::vector<std::wstring>{L"bad" + std::to_wstring(n) + L".exe"})
            << "no partial file is left";
        RemoveTree(dir_ / L"zvTemp");
        EXPECT_FALSE(window_.Worker().IsBusy());
    }
}

TEST_F(DownloadWorkerTest, ADestinationThatCannotBeCreatedIsLoggedWithoutLineEnd) {
    server_.SetReply("/update/zvHelix.exe", ScriptedReply::Ok("new"));
    const std::wstring destination = dir_ / L"zvTemp\\zvHelix.exe";
    ASSERT_TRUE(CreateDirectoryW((dir_ / L"zvTemp").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(destination.c_str(), nullptr));  // a folder in the file's place

    window_.Worker().StartDownload(server_.Url("/update/zvHelix.exe"), destination, kDone);
    ASSERT_TRUE(window_.PumpUntilArrivals(1));

    EXPECT_EQ(window_.arrivals, std::vector<UINT>{kDownloadFailedMessage});
    EXPECT_EQ(window_.log, L"临时文件 " + destination + L" 无法创建");
    EXPECT_NE(GetFileAttributesW(destination.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST_F(DownloadWorkerTest, AnUnreachableHostNamesTheHostInTheLog) {
    const std::wstring host = L"127.0.0.1:" + std::to_wstring(ClosedLoopbackPort());
    WorkerWindow window(host);
    const std::wstring destination = dir_ / L"zvTemp\\Zorvik版本.ini";
    ASSERT_TRUE(WriteFileBytes(destination, kOld));

    window.Worker().StartDownload(L"http://" + host + L"/update/update.html", destination, kDone);
    ASSERT_TRUE(window.PumpUntilArrivals(1));
    PumpFor(100);

    EXPECT_EQ(window.arrivals, std::vector<UINT>{kDownloadFailedMessage});
    EXPECT_EQ(window.log, L"无法连接到Zorvik网站，请从浏览器打开" + host + L"进行手动更新\r\n\r\n");
    EXPECT_EQ(ReadFileBytes(destination), kOld);
}

// The run's hand-over: each download is started from the handler of the previous one's done
// message, right after OnWorkerFinished. None may be dropped and the chain must not stall.
TEST_F(DownloadWorkerTest, ManyDownloadsInARowEachStartedFromThePreviousDoneMessage) {
    constexpr int kFiles = 200;
    auto path = [](int i) { return "/update/f" + std::to_string(i) + ".dll"; };
    auto destination = [&](int i) { return dir_ / (L"zvTemp\\f" + std::to_wstring(i) + L".dll"); };
    auto body = [](int i) { return "file " + std::to_string(i) + std::string(static_cast<std::size_t>(i % 7), '\n'); };
    for (int i = 0; i < kFiles; ++i) server_.SetReply(path(i), ScriptedReply::Ok(body(i)));

    int next = 1;
    window_.onArrival = [&](UINT message) {
        if (message != kDone || next >= kFiles) return;
        const int i = next++;
        window_.Worker().StartDownload(server_.Url(path(i)), destination(i), kDone);
        EXPECT_TRUE(window_.Worker().IsBusy()) << "request " << i << " was dropped";
    };
    window_.Worker().StartDownload(server_.Url(path(0)), destination(0), kDone);
    const bool all = window_.PumpUntilArrivals(kFiles, 120000);
    ASSERT_TRUE(all) << "stalled after " << window_.arrivals.size() << " downloads";
    PumpFor(200);

    EXPECT_EQ(window_.arrivals, std::vector<UINT>(kFiles, kDone));
    EXPECT_EQ(window_.log, L"");
    const std::vector<RecordedRequest> requests = server_.Requests();
    ASSERT_EQ(requests.size(), static_cast<std::size_t>(kFiles));
    for (int i = 0; i < kFiles; ++i) {
        EXPECT_EQ(requests[i].target, path(i));
        EXPECT_EQ(ReadFileBytes(destination(i)), body(i)) << i;
    }
}

TEST_F(DownloadWorkerTest, StopDuringASlowLargeDownloadIsBoundedAndPostsNothingAfter) {
    server_.SetReply("/update/big.bin", Trickle(100ull << 20, 64 * 1024, 100));  // about 160 s in all
    const std::wstring destination = dir_ / L"zvTemp\\big.bin";
    ASSERT_TRUE(WriteFileBytes(destination, kOld));

    window_.Worker().StartDownload(server_.Url("/update/big.bin"), destination, kDone);
    ASSERT_TRUE(server_.WaitForRequests(1, 5000));
    PumpFor(800);  // some pieces have arrived

    const auto started = std::chrono::steady_clock::now();
    const bool stopped = window_.Worker().Stop(2000);
    const auto took = std::chrono::steady_clock::now() - started;
    std::printf("Stop took %lld ms\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
    EXPECT_TRUE(stopped);
    EXPECT_LT(took, std::chrono::seconds(2));
    EXPECT_FALSE(window_.Worker().IsBusy());

    PumpFor(kQuietMs);
    EXPECT_TRUE(window_.arrivals.empty());
    EXPECT_EQ(window_.log, L"");
    EXPECT_EQ(ReadFileBytes(destination), kOld);
    EXPECT_EQ(FolderEntries(dir_ / L"zvTemp"), std::vector<std::wstring>{L"big.bin"});
}

// A worker that outlives the wait (a call that cannot be broken into: a server that never
// answers) still posts nothing once stopped, though its fetch ends later with a failure.
TEST_F(DownloadWorkerTest, AWorkerThatOutlivesStopPostsNothing) {
    server_.SetReply("/update/update.html", ScriptedReply::Silent());
    window_.Worker().timeouts.receiveMs = 1000;
    window_.Worker().timeouts.sendMs = 1000;

    window_.Worker().StartDownload(server_.Url("/update/update.html"), dir_ / L"zvTemp\\Zorvik版本.ini", kDone);
    ASSERT_TRUE(server_.WaitForRequests(1, 5000));
    window_.Worker().Stop(100);
    EXPECT_FALSE(window_.Worker().IsBusy());

    PumpFor(3000);  // past the receive time-out
    EXPECT_TRUE(window_.arrivals.empty());
    EXPECT_EQ(window_.log, L"");
    EXPECT_EQ(window_.logWakeUps, 0u);
}

TEST(WorkerLog, KeepsOneWakeUpPendingAndPostsNothingOnceClosed) {
    WorkerWindow window(L"127.0.0.1");
    WorkerLog log(window.Handle(), kWorkerLogMessage);
    MSG msg;
    auto wakeUps = [&] {
        int n = 0;
        while (PeekMessageW(&msg, window.Handle(), kWorkerLogMessage, kWorkerLogMessage, PM_REMOVE)) ++n;
        return n;
    };

    log.Append(L"a");
    log.Append(L"b\r\n");
    EXPECT_EQ(wakeUps(), 1);
    EXPECT_EQ(log.Take(), L"ab\r\n");
    log.Append(L"c");
    EXPECT_EQ(wakeUps(), 1);
    EXPECT_TRUE(log.Post(kDone));
    EXPECT_TRUE(PeekMessageW(&msg, window.Handle(), kDone, kDone, PM_REMOVE));

    log.Close();
    log.Append(L"d");
    EXPECT_FALSE(log.Post(kDone));
    EXPECT_EQ(wakeUps(), 0);
    EXPECT_FALSE(PeekMessageW(&msg, window.Handle(), kDone, kDone, PM_REMOVE));
    EXPECT_EQ(log.Take(), L"c");
}

}  // namespace
