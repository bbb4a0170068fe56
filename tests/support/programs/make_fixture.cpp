// Makes programs that carry a chosen file version, for scripts (the demo, the bench):
//
//   make_fixture.exe <destination> a b c d           a copy of the do-nothing stub program,
//                                                    stamped with version a.b.c.d
//   make_fixture.exe --stamp <program> a b c d       stamps an existing program in place
//   make_fixture.exe --pad <program> <bytes>         appends that many bytes after the image
//                                                    (the version stays readable)
//
// Exit code 0: done; 1: failed; 2: wrong arguments.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>
#include <vector>

#include "framework/UniqueHandle.h"
#include "support/PeFixture.h"

namespace {

enum Exit { kDone = 0, kFailed = 1, kUsage = 2 };

bool ParseNumber(const wchar_t* text, unsigned long long& value) {
    wchar_t* end = nullptr;
    value = std::wcstoull(text, &end, 10);
    return end && end != text && *end == L'\0';
}

bool ParseVersion(wchar_t** parts, unsigned (&version)[4]) {
    for (int i = 0; i < 4; ++i) {
        unsigned long long value = 0;
        if (!ParseNumber(parts[i], value) || value > 0xFFFF) return false;
        version[i] = static_cast<unsigned>(value);
    }
    return true;
}

// Appends bytes that differ from place to place, so that the file does not compress away.
bool Pad(const std::wstring& program, unsigned long long bytes) {
    FileHandle file(CreateFileW(program.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file) return false;
    std::vector<unsigned char> chunk(1 << 20);
    unsigned x = 12345;
    while (bytes > 0) {
        for (unsigned char& b : chunk) b = static_cast<unsigned char>((x = x * 1103515245u + 12345u) >> 24);
        const DWORD n = static_cast<DWORD>(bytes < chunk.size() ? bytes : chunk.size());
        DWORD written = 0;
        if (!WriteFile(file.get(), chunk.data(), n, &written, nullptr) || written != n) return false;
        bytes -= n;
    }
    return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return kUsage;
    std::vector<wchar_t*> args(argv + 1, argv + argc);
    int result = kUsage;
    unsigned version[4];
    if (args.size() == 3 && std::wcscmp(args[0], L"--pad") == 0) {
        unsigned long long bytes = 0;
        if (ParseNumber(args[2], bytes)) result = Pad(args[1], bytes) ? kDone : kFailed;
    } else if (args.size() == 6 && std::wcscmp(args[0], L"--stamp") == 0) {
        if (ParseVersion(&args[2], version))
            result = StampVersion(args[1], version[0], version[1], version[2], version[3]) ? kDone : kFailed;
    } else if (args.size() == 5 && args[0][0] != L'-') {
        if (ParseVersion(&args[1], version))
            result = MakeVersionedPe(args[0], version[0], version[1], version[2], version[3]) ? kDone : kFailed;
    }
    LocalFree(argv);
    return result;
}
