// The plainest WinINet download: one session, InternetOpenUrlW, then InternetReadFile into
// a 1,024,000-byte buffer and WriteFile until the body ends. The reference for the worker's
// transfer, and the minimal one-GET program for the start-up figure.
// Usage: bench_wininet_read.exe URL DESTINATION
// Prints "ms=<elapsed> bytes=<n>".
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <vector>

#include "bench/BenchClock.h"
#include "framework/UniqueHandle.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_wininet_read.exe URL DESTINATION\n");
        return 2;
    }
    const double started = NowMs();
    InternetHandle session(InternetOpenW(L"bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return 3;
    InternetHandle response(
        InternetOpenUrlW(session.get(), argv[1], nullptr, 0, INTERNET_FLAG_RELOAD | INTERNET_FLAG_TRANSFER_ASCII, 1));
    if (!response) return 4;
    FileHandle file(CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 5;

    std::vector<char> buffer(1024000);
    unsigned long long total = 0;
    for (;;) {
        DWORD got = 0;
        if (!InternetReadFile(response.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got)) return 6;
        if (got == 0) break;
        DWORD written = 0;
        if (!WriteFile(file.get(), buffer.data(), got, &written, nullptr) || written != got) return 7;
        total += got;
    }
    file.reset();
    std::printf("ms=%.1f bytes=%llu\n", NowMs() - started, total);
    return 0;
}
