#include "ui/Backup.h"

#include <cwchar>

#include "app/paths/CopyWholeFile.h"
#include "app/paths/PathHelpers.h"

std::wstring VersionStamp(const FileVersion& version) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%d%04d", version.high, version.low >= 0 ? version.low : 101);
    return text;
}

std::wstring BackupPath(const Locations& locations, const std::wstring& path, const std::wstring& stamp) {
    return locations.BackupFolder() + path + L"_" + stamp;
}

void BackupFile(const std::wstring& path, const Locations& locations, UpdateView& view) {
    std::wstring installed = locations.programFolder + path;
    if (!FileExists(installed)) {
        view.AppendLog(L"因" + installed + L"文件未找到，不进行备份\r\n");
        return;
    }
    FileVersion version;
    QueryFileVersion(installed, version);
    CreateFolderChain(locations.BackupFolder());
    view.AppendLog(L"正在备份" + installed + L"文件\r\n");
    CopyWholeFile(installed, BackupPath(locations, path, VersionStamp(version)));
}
