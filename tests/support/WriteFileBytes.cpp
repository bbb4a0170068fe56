#include "WriteFileBytes.h"

#include <windows.h>

#include "app/paths/PathHelpers.h"
#include "framework/UniqueHandle.h"

bool WriteFileBytes(const std::wstring& path, std::string_view bytes) {
    CreateFolderOfFile(path);
    FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}
