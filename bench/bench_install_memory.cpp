// The working set of the install step: CopyWholeFile of a large downloaded file over the
// installed one, as the update run does it, against the process's working set before.
// Usage: bench_install_memory.exe SOURCE DESTINATION
// Prints "idle_ws=<bytes> idle_peak=<bytes> peak=<bytes> ms=<elapsed> ok=<1|0>".
#include <windows.h>
#include <psapi.h>

#include <cstdio>

#include "app/paths/CopyWholeFile.h"
#include "bench/BenchClock.h"

namespace {

PROCESS_MEMORY_COUNTERS Counters() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_install_memory.exe SOURCE DESTINATION\n");
        return 2;
    }
    const PROCESS_MEMORY_COUNTERS idle = Counters();
    const double started = NowMs();
    const bool ok = CopyWholeFile(argv[1], argv[2]);
    const double elapsed = NowMs() - started;
    const PROCESS_MEMORY_COUNTERS after = Counters();
    std::printf("idle_ws=%zu idle_peak=%zu peak=%zu ms=%.1f ok=%d\n", static_cast<size_t>(idle.WorkingSetSize),
                static_cast<size_t>(idle.PeakWorkingSetSize), static_cast<size_t>(after.PeakWorkingSetSize), elapsed,
                ok ? 1 : 0);
    return ok ? 0 : 1;
}
