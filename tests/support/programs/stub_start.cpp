// Stands in for the workstation's start program. It records how it was started into
// "stub-record.txt" beside its own executable, then ends with exit code 0.
//
// The record is UTF-8, three lines:
//   CommandLine=<GetCommandLineW, verbatim>
//   ProgramFolder=<folder of its executable, with trailing backslash>
//   CurrentFolder=<its current folder>
// It is written to a temporary file that then replaces the record in one step, so a test
// that polls for the record never reads half of it.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                   nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::wstring OwnFolder() {
    std::wstring path(32768, L'\0');
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(length);
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

std::wstring CurrentFolder() {
    std::wstring folder(32768, L'\0');
    DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
    folder.resize(length);
    return folder;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const std::wstring folder = OwnFolder();
    const std::wstring record = folder + L"stub-record.txt";
    const std::wstring temporary = record + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    {
        std::ofstream out(std::filesystem::path(temporary), std::ios::binary | std::ios::trunc);
        out << "CommandLine=" << ToUtf8(GetCommandLineW()) << "\r\n"
            << "ProgramFolder=" << ToUtf8(folder) << "\r\n"
            << "CurrentFolder=" << ToUtf8(CurrentFolder()) << "\r\n";
        if (!out.flush()) return 2;
    }
    return MoveFileExW(temporary.c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 3;
}
