#include "app/paths/CopyWholeFile.h"

#include <windows.h>

#include <algorithm>

#include "app/paths/PathHelpers.h"
#include "app/paths/ReplaceFileContent.h"
#include "framework/UniqueHandle.h"

namespace {

class FileContentSource : public ContentSource {
public:
    explicit FileContentSource(FileHandle file) : file_(std::move(file)) {}
    long long Read(std::span<char> buffer) override {
        DWORD want = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), MAXDWORD));
        DWORD got = 0;
        if (!ReadFile(file_.get(), buffer.data(), want, &got, nullptr)) return -1;
        return got;
    }

private:
    FileHandle file_;
};

}  // namespace

bool CopyWholeFile(const std::wstring& source, const std::wstring& destination) {
    // Others may go on reading, writing and renaming the source while it is copied.
    FileHandle file(CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0) return false;  // empty: nothing is created

    CreateFolderOfFile(destination);
    return ReplaceFileContent(std::make_unique<FileContentSource>(std::move(file)),
                              static_cast<unsigned long long>(size.QuadPart), destination);
}
