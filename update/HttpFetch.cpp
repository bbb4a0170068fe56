#include "update/HttpFetch.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cwchar>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "app/paths/PathHelpers.h"
#include "framework/UniqueHandle.h"
#include "update/FetchCancel.h"

namespace {

constexpr wchar_t kAgent[] = L"ruVazoro";  // the application's name, as the session's default agent
constexpr DWORD kOpenUrlFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_TRANSFER_ASCII;  // 0x80000001

// Interrupts the fetch when its total time runs out, however slowly the server trickles: it
// closes the fetch's Internet handles from its own thread. Windows then ends the blocked call
// at once; Wine ends it at its next time-out, and the fetch stops before its next read.
class Deadline {
public:
    Deadline(DWORD ms, FetchCancel& cancel) {
        if (ms == 0) return;
        thread_ = std::thread([this, ms, &cancel] {
            std::unique_lock lock(mutex_);
            if (!finished_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return done_; })) {
                expired_ = true;
                lock.unlock();
                cancel.Interrupt();
            }
        });
    }
    ~Deadline() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        finished_.notify_all();
        if (thread_.joinable()) thread_.join();
    }
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;

    bool Expired() const {
        std::lock_guard lock(mutex_);
        return expired_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable finished_;
    bool done_ = false;
    bool expired_ = false;
    std::thread thread_;
};

// Closes the fetch's handles on every way out.
struct KeptHandles {
    FetchCancel& cancel;
    ~KeptHandles() { cancel.Release(); }
};

// The temporary file beside the destination ("x.ini.1a2b-3.zvpart", unique to this process and
// fetch; CREATE_NEW never reuses a leftover). Removed unless it has replaced the destination.
class PartFile {
public:
    explicit PartFile(const std::wstring& destination) {
        static std::atomic<unsigned> counter{0};
        for (int attempt = 0; attempt < 100 && !handle_; ++attempt) {
            wchar_t suffix[32];
            swprintf(suffix, 32, L".%lx-%x.zvpart", GetCurrentProcessId(), counter++);
            path_ = destination + suffix;
            handle_.reset(CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!handle_ && GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
        }
        created_ = static_cast<bool>(handle_);
    }
    ~PartFile() {
        handle_.reset();
        if (created_ && !moved_) DeleteFileW(path_.c_str());
    }
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    bool IsOpen() const { return static_cast<bool>(handle_); }
    bool Write(const void* data, DWORD size) {
        DWORD written = 0;
        return WriteFile(handle_.get(), data, size, &written, nullptr) && written == size;
    }
    // Puts the content on disk, closes the file and moves it into the destination's place.
    bool ReplaceDestination(const std::wstring& destination) {
        if (!FlushFileBuffers(handle_.get())) return false;
        handle_.reset();
        moved_ = MoveFileExW(path_.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        return moved_;
    }

private:
    std::wstring path_;
    FileHandle handle_;
    bool created_ = false;
    bool moved_ = false;
};

void SetOption(HINTERNET handle, DWORD option, DWORD value) {
    InternetSetOptionW(handle, option, &value, sizeof(value));
}

void ApplyTimeouts(HINTERNET handle, const FetchTimeouts& timeouts) {
    SetOption(handle, INTERNET_OPTION_CONNECT_TIMEOUT, timeouts.connectMs);
    SetOption(handle, INTERNET_OPTION_SEND_TIMEOUT, timeouts.sendMs);
    SetOption(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, timeouts.receiveMs);
}

// Some WinINet implementations (Wine's) do not pass the session's send and receive time-outs
// on to the request that InternetOpenUrlW makes inside. The status callback hears of that
// request as soon as it exists, before anything is sent, and sets them there as well.
// Callbacks of a synchronous session run on the calling thread.
thread_local const FetchTimeouts* tOpeningWith = nullptr;

void CALLBACK OnInternetStatus(HINTERNET, DWORD_PTR, DWORD status, LPVOID info, DWORD infoLength) {
    if (status != INTERNET_STATUS_HANDLE_CREATED || !tOpeningWith || !info || infoLength < sizeof(HINTERNET)) return;
    // The information starts with the new handle (a bare handle, or INTERNET_ASYNC_RESULT).
    ApplyTimeouts(*static_cast<HINTERNET*>(info), *tOpeningWith);
}

class OpeningWith {
public:
    explicit OpeningWith(const FetchTimeouts& timeouts) { tOpeningWith = &timeouts; }
    ~OpeningWith() { tOpeningWith = nullptr; }
    OpeningWith(const OpeningWith&) = delete;
    OpeningWith& operator=(const OpeningWith&) = delete;
};

// The URL itself is at fault: a scheme WinINet does not serve, or a malformed URL (an empty
// host gives ERROR_INVALID_PARAMETER).
bool IsUnservedUrl(DWORD error) {
    return error == ERROR_INTERNET_UNRECOGNIZED_SCHEME || error == ERROR_INTERNET_INVALID_URL ||
           error == ERROR_INVALID_PARAMETER;
}

// The announced body length, when the response carries a plain decimal Content-Length.
std::optional<std::uint64_t> AnnouncedLength(HINTERNET response) {
    wchar_t text[32] = {};
    DWORD size = sizeof(text) - sizeof(wchar_t);
    if (!HttpQueryInfoW(response, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return std::nullopt;
    std::uint64_t value = 0;
    const wchar_t* p = text;
    if (*p == L'\0') return std::nullopt;
    for (; *p; ++p) {
        if (*p < L'0' || *p > L'9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(*p - L'0');
    }
    return value;
}

// True when a destination that exists cannot be replaced: a read-only file, a folder, or a file
// held open against writing. A missing destination is fine; the temporary file shows whether
// its folder takes files. The move alone does not refuse all of these everywhere.
bool DestinationIsUnwritable(const std::wstring& destination) {
    const DWORD attributes = GetFileAttributesW(destination.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return true;
    FileHandle probe(CreateFileW(destination.c_str(), GENERIC_WRITE | DELETE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    return !probe;
}

}  // namespace

FetchResult HttpFetch(const FetchRequest& request) {
    FetchResult result;
    result.url = request.url;
    result.destination = request.destination;

    FetchCancel ownCancel;
    FetchCancel& cancel = request.cancel ? *request.cancel : ownCancel;
    KeptHandles kept{cancel};  // released after the deadline's thread has ended
    Deadline deadline(request.timeouts.totalMs, cancel);

    // Every failure ends here: a stop from outside wins over the step's own outcome.
    auto fail = [&](FetchOutcome outcome, DWORD error) {
        result.outcome = cancel.IsCancelled() ? FetchOutcome::Cancelled : outcome;
        result.error = error;
        result.timedOut = deadline.Expired();
        return result;
    };

    InternetHandle newSession(InternetOpenW(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    const DWORD sessionError = GetLastError();
    HINTERNET session = cancel.Keep(std::move(newSession));
    if (!session) return fail(FetchOutcome::ConnectionFailed, sessionError);
    ApplyTimeouts(session, request.timeouts);
    SetOption(session, INTERNET_OPTION_CONNECT_RETRIES, 1);
    InternetSetStatusCallbackW(session, OnInternetStatus);

    InternetHandle newResponse;
    DWORD openError = 0;
    {
        OpeningWith opening(request.timeouts);
        newResponse.reset(InternetOpenUrlW(session, request.url.c_str(), nullptr, 0, kOpenUrlFlags, 1));
        openError = GetLastError();
    }
    HINTERNET response = cancel.Keep(std::move(newResponse));
    if (!response) {
        if (!cancel.IsInterrupted() && IsUnservedUrl(openError)) return fail(FetchOutcome::NoResponse, openError);
        return fail(FetchOutcome::ConnectionFailed, openError);
    }

    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!HttpQueryInfoW(response, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
        return fail(FetchOutcome::BadStatus, GetLastError());
    result.status = status;
    if (status < 200 || status > 299) return fail(FetchOutcome::BadStatus, 0);
    const std::optional<std::uint64_t> announced = AnnouncedLength(response);

    CreateFolderOfFile(request.destination);
    if (DestinationIsUnwritable(request.destination)) return fail(FetchOutcome::CannotCreate, ERROR_ACCESS_DENIED);
    PartFile part(request.destination);
    if (!part.IsOpen()) return fail(FetchOutcome::CannotCreate, GetLastError());

    const DWORD chunk = static_cast<DWORD>(request.chunkBytes ? request.chunkBytes : kStartupChunkBytes);
    std::vector<char> buffer(chunk);
    for (;;) {
        // Wait for some bytes, then read no more than have come: each call returns as soon as
        // anything arrives, so a stop or the deadline is seen between pieces of a trickle even
        // where closing the handles does not break into a blocked read (Wine).
        if (cancel.IsInterrupted()) return fail(FetchOutcome::Incomplete, ERROR_INTERNET_OPERATION_CANCELLED);
        DWORD available = 0;
        if (!InternetQueryDataAvailable(response, &available, 0, 0)) return fail(FetchOutcome::Incomplete, GetLastError());
        if (available == 0) break;
        DWORD got = 0;
        if (!InternetReadFile(response, buffer.data(), available < chunk ? available : chunk, &got))
            return fail(FetchOutcome::Incomplete, GetLastError());
        if (got == 0) break;
        if (!part.Write(buffer.data(), got)) return fail(FetchOutcome::WriteFailed, GetLastError());
        result.bytes += got;
    }
    // A closed handle may also look like the end of the body.
    if (cancel.IsInterrupted()) return fail(FetchOutcome::Incomplete, ERROR_INTERNET_OPERATION_CANCELLED);
    if (announced && result.bytes < *announced) return fail(FetchOutcome::Incomplete, 0);

    if (!part.ReplaceDestination(request.destination)) return fail(FetchOutcome::CannotCreate, GetLastError());
    result.outcome = FetchOutcome::Done;
    result.timedOut = false;
    return result;
}
