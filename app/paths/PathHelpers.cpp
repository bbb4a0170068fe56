#include "app/paths/PathHelpers.h"

#include <windows.h>

#include "framework/UniqueHandle.h"

namespace {

// Longest path that the split looks at; longer paths are cut to this many characters.
constexpr size_t kSplitPathChars = MAX_PATH;

struct SplitPath {
    std::wstring drive;
    std::wstring folder;
    std::wstring name;
    std::wstring extension;
};

// Splits a path by the C library's _wsplitpath_s rules, with its fixed buffers: drive 3,
// folder, name and extension 256 characters each, NUL included. A part without room makes
// every part empty. Done here rather than through the C library, whose failure path for a
// part without room runs the invalid-parameter handler, which ends the process by default.
SplitPath Split(const std::wstring& path) {
    constexpr size_t kPartRoom = 255;  // characters that fit beside the NUL
    std::wstring cut = path.substr(0, kSplitPathChars);
    SplitPath parts;
    size_t pos = 0;
    if (cut.size() >= 2 && cut[1] == L':') {
        parts.drive = cut.substr(0, 2);
        pos = 2;
    }
    size_t lastSeparator = cut.find_last_of(L"\\/");
    size_t nameStart = pos;
    if (lastSeparator != std::wstring::npos && lastSeparator >= pos) {
        parts.folder = cut.substr(pos, lastSeparator + 1 - pos);
        nameStart = lastSeparator + 1;
    }
    std::wstring file = cut.substr(nameStart);
    size_t dot = file.rfind(L'.');
    parts.name = file.substr(0, dot);
    if (dot != std::wstring::npos) parts.extension = file.substr(dot);
    if (parts.folder.size() > kPartRoom || parts.name.size() > kPartRoom || parts.extension.size() > kPartRoom)
        return {};
    return parts;
}

std::wstring ModuleFileName() {
    wchar_t buffer[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    buffer[MAX_PATH - 1] = L'\0';
    return buffer;
}

wchar_t FoldAsciiCase(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

}  // namespace

std::wstring GetProgramFolder() {
    std::wstring path = ModuleFileName();
    size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos) return {};
    return path.substr(0, slash + 1);
}

std::wstring GetOwnFileName() { return FileNameOfPath(ModuleFileName()); }

std::wstring FolderOfPath(const std::wstring& path) {
    SplitPath parts = Split(path);
    return parts.drive + parts.folder;
}

std::wstring FileNameOfPath(const std::wstring& path) {
    SplitPath parts = Split(path);
    return parts.name + parts.extension;
}

std::wstring ExtensionOfPath(const std::wstring& path) { return Split(path).extension; }

bool FileExists(const std::wstring& path) {
    if (path.empty()) return false;
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW(path.c_str(), &data));
    return static_cast<bool>(find);
}

void CreateFolderChain(const std::wstring& folder) {
    if (folder.empty()) return;
    std::wstring path = folder;
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    if (path.back() == L'\\') path.pop_back();
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return;
    size_t slash = path.rfind(L'\\');
    CreateFolderChain(slash == std::wstring::npos ? std::wstring() : path.substr(0, slash));
    CreateDirectoryW(path.c_str(), nullptr);
}

void CreateFolderOfFile(const std::wstring& file) { CreateFolderChain(FolderOfPath(file)); }

std::vector<std::wstring> SplitAtBar(const std::wstring& text) {
    std::vector<std::wstring> pieces;
    size_t start = 0;
    for (;;) {
        size_t bar = text.find(L'|', start);
        if (bar == std::wstring::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, bar - start));
        start = bar + 1;
    }
}

bool EqualsIgnoringAsciiCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAsciiCase(a[i]) != FoldAsciiCase(b[i])) return false;
    }
    return true;
}
