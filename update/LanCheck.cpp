#include "update/LanCheck.h"

#include <algorithm>

#include "app/ConfigFile.h"
#include "update/MarkEntries.h"
#include "app/paths/CopyWholeFile.h"
#include "app/paths/PathHelpers.h"

int CopyLanConfig(UpdateList& list, const Locations& locations) {
    if (locations.lanConfigPath.empty()) return -1;
    if (!FileExists(locations.lanConfigPath)) return -2;
    std::wstring copy = locations.TempFolder() + FileNameOfPath(locations.lanConfigPath);
    CopyWholeFile(locations.lanConfigPath, copy);
    list.lanConfigCopy = copy;
    return 0;
}

int ReadLanUpdateVersion(const std::wstring& iniPath, FileVersion& version) {
    int v = ReadIniInt(iniPath, L"LanUpdateVersion");
    if (v == 0) return -1;
    version.high = v / 10000;
    version.low = v % 10000;
    version.major = 1;
    version.minor = 0;
    return 0;
}

int TestEntryLan(const UpdateEntry& entry, const Locations& locations) {
    std::wstring installed = locations.programFolder + entry.path;
    FileVersion have;
    std::wstring extension = ExtensionOfPath(installed);
    if (EqualsIgnoringAsciiCase(extension, L".exe")) {
        if (QueryFileVersion(installed, have) != 0) return 1;
    } else if (EqualsIgnoringAsciiCase(extension, L".ini")) {
        if (ReadLanUpdateVersion(installed, have) != 0) return 1;
    }
    // Any other kind of file is not looked at: its installed key stays 0.
    FileVersion required;
    ParseVersionText(entry.lanVersion, required);
    return IsNewer(required, have) ? 1 : 0;
}

std::vector<std::wstring> SplitLanFileValue(const std::wstring& value) {
    std::wstring barred = value;
    std::replace_if(
        barred.begin(), barred.end(),
        [](wchar_t c) { return c == L',' || c == L'\uFF0C' || c == L'/' || c == L'\\'; }, L'|');
    return SplitAtBar(barred);
}

namespace {

void ReadFileEntries(UpdateList& list, const Locations& locations) {
    for (int n = 1;; ++n) {
        std::wstring value = ReadIniString(list.lanConfigCopy, L"File" + std::to_wstring(n));
        if (value.empty()) return;
        std::vector<std::wstring> fields = SplitLanFileValue(value);
        const std::wstring& name = fields[0];
        std::wstring version = fields.size() >= 2 ? fields[1] : std::wstring();
        int kind = EqualsIgnoringAsciiCase(name, locations.ownFileName) ? kKindLauncher : kKindProduct;
        list.AddEntry(name.c_str(), name.c_str(), version.c_str(), kind);
    }
}

}  // namespace

int CheckLan(UpdateList& list, const Locations& locations) {
    if (CopyLanConfig(list, locations) < 0) return 0;
    if (!EqualsIgnoringAsciiCase(ReadIniString(list.lanConfigCopy, L"Version"), kLanFormatVersion)) return 0;

    list.Clear();
    ReadFileEntries(list, locations);

    return MarkEntriesNeedingUpdate(list, locations, [&](const UpdateEntry& entry) { return TestEntryLan(entry, locations); });
}
