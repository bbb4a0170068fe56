#include "app/paths/ReplaceFileContent.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "framework/UniqueHandle.h"

namespace {

// The open temporary file. It is closed and removed on every way out unless it was moved
// into place; closing comes first, as an open file cannot be removed.
class TemporaryFile {
public:
    TemporaryFile(FileHandle file, std::wstring path) : file_(std::move(file)), path_(std::move(path)) {}
    ~TemporaryFile() {
        file_.reset();
        if (!path_.empty()) DeleteFileW(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    explicit operator bool() const { return static_cast<bool>(file_); }
    HANDLE Handle() const { return file_.get(); }
    const std::wstring& Path() const { return path_; }
    void Close() { file_.reset(); }
    void Keep() { path_.clear(); }

private:
    FileHandle file_;
    std::wstring path_;
};

std::wstring Hex(unsigned long long value) {
    wchar_t text[17];
    int n = 0;
    do {
        text[n++] = L"0123456789abcdef"[value & 0xF];
        value >>= 4;
    } while (value != 0);
    std::reverse(text, text + n);
    return std::wstring(text, n);
}

// Creates a new, empty file named after the destination with a suffix unique to this process
// and call ("x.exe.1a2b-3.zvpart"). CREATE_NEW never opens somebody else's file; a name that
// is taken (a leftover of a crashed run) is skipped.
TemporaryFile CreateTemporaryBeside(const std::wstring& destination) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring path = destination + L"." + Hex(GetCurrentProcessId()) + L"-" + Hex(counter++) + L".zvpart";
        FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
        if (file) return TemporaryFile(std::move(file), path);
        DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    return TemporaryFile(FileHandle(), std::wstring());
}

// An existing destination must be a plain, writable file that nobody holds open against
// writing or deleting; the move alone does not refuse every such case on every platform.
bool DestinationCanBeReplaced(const std::wstring& destination) {
    DWORD attributes = GetFileAttributesW(destination.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;  // not there yet
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return false;
    FileHandle probe(CreateFileW(destination.c_str(), GENERIC_WRITE | DELETE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(probe);
}

bool WriteAll(HANDLE file, const char* data, std::size_t size) {
    while (size > 0) {
        DWORD written = 0;
        if (!WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

bool Stream(ContentSource& source, unsigned long long length, HANDLE to) {
    std::vector<char> buffer(static_cast<std::size_t>(std::min<unsigned long long>(length, kCopyChunkBytes)));
    unsigned long long remaining = length;
    while (remaining > 0) {
        std::size_t want = static_cast<std::size_t>(std::min<unsigned long long>(remaining, buffer.size()));
        long long got = source.Read(std::span<char>(buffer.data(), want));
        if (got <= 0 || static_cast<unsigned long long>(got) > want) return false;  // error or early end
        if (!WriteAll(to, buffer.data(), static_cast<std::size_t>(got))) return false;
        remaining -= static_cast<unsigned long long>(got);
    }
    return true;
}

}  // namespace

bool ReplaceFileContent(std::unique_ptr<ContentSource> source, unsigned long long length,
                        const std::wstring& destination) {
    if (!source || destination.empty() || !DestinationCanBeReplaced(destination)) return false;

    TemporaryFile temporary = CreateTemporaryBeside(destination);
    if (!temporary) return false;

    if (!Stream(*source, length, temporary.Handle())) return false;
    // The content must be on disk before its name is, or a crash could leave an empty file.
    if (!FlushFileBuffers(temporary.Handle())) return false;
    temporary.Close();
    source.reset();  // the source may be the destination itself

    if (!MoveFileExW(temporary.Path().c_str(), destination.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return false;
    }
    temporary.Keep();
    return true;
}
