// One HTTP GET of one URL into one local file, over WinINet. The start-up fetch of the
// version file and the download worker both use it, with their own chunk size and time-outs.
//
// The body goes into a temporary file beside the destination, which replaces the
// destination only when the whole body has arrived: after any failure the destination
// keeps its old content and no temporary file is left.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

class FetchCancel;

enum class FetchOutcome {
    Done,              // the destination holds the whole body
    ConnectionFailed,  // no session, or the request could not be made (no host, no connection, time-out)
    NoResponse,        // WinINet serves no such URL (unknown scheme, malformed URL)
    BadStatus,         // the status query failed, or the status is outside 200..299
    CannotCreate,      // the destination cannot be written, or the temporary file beside it cannot be made
    WriteFailed,       // writing a received chunk to the temporary file failed (disk full)
    Incomplete,        // the body ended early: a read failed, or fewer bytes than Content-Length
    Cancelled,         // FetchCancel::Cancel stopped the fetch
};

struct FetchTimeouts {
    DWORD connectMs;  // each connection attempt
    DWORD sendMs;     // sending the request
    DWORD receiveMs;  // each wait for response bytes
    DWORD totalMs;    // the whole fetch, however the server trickles; 0: no limit
};

// Start-up: a silent or trickling site must not hold the program's start for long. The total
// is checked between reads, each of which waits at most receiveMs: the fetch ends within
// about totalMs + receiveMs (9 s) where a blocked call cannot be broken into.
inline constexpr FetchTimeouts kStartupFetchTimeouts{3000, 3000, 4000, 5000};
// Worker: large files over slow links; a stalled server still ends the download.
inline constexpr FetchTimeouts kWorkerFetchTimeouts{15000, 30000, 60000, 0};

inline constexpr std::size_t kStartupChunkBytes = 1024;
inline constexpr std::size_t kWorkerChunkBytes = 1024000;

struct FetchRequest {
    std::wstring url;
    std::wstring destination;  // full file path; missing folders are created
    std::size_t chunkBytes = kStartupChunkBytes;
    FetchTimeouts timeouts = kStartupFetchTimeouts;
    FetchCancel* cancel = nullptr;  // optional; another thread may cancel through it
};

struct FetchResult {
    FetchOutcome outcome = FetchOutcome::ConnectionFailed;
    DWORD status = 0;          // the HTTP status, when it was read
    DWORD error = 0;           // GetLastError of the step that failed, 0 when none
    bool timedOut = false;     // the total time-out passed and stopped the fetch
    std::uint64_t bytes = 0;   // body bytes received
    std::wstring url;          // as requested
    std::wstring destination;  // as requested

    bool Succeeded() const { return outcome == FetchOutcome::Done; }
};

FetchResult HttpFetch(const FetchRequest& request);
