#include "app/ConfigFile.h"

#include <windows.h>

#include "app/paths/PathHelpers.h"

std::wstring ReadIniString(const std::wstring& file, const std::wstring& key) {
    wchar_t buffer[kIniValueChars] = {};
    GetPrivateProfileStringW(kIniSection, key.c_str(), L"", buffer, kIniValueChars, file.c_str());
    buffer[kIniValueChars - 1] = L'\0';
    return buffer;
}

int ReadIniInt(const std::wstring& file, const std::wstring& key) {
    return static_cast<int>(GetPrivateProfileIntW(kIniSection, key.c_str(), 0, file.c_str()));
}

void WriteIniString(const std::wstring& file, const std::wstring& key, const std::wstring& value) {
    WritePrivateProfileStringW(kIniSection, key.c_str(), value.c_str(), file.c_str());
}

namespace {

// Reads a key of the configuration file only when the file is there, so that reading
// never creates it.
std::wstring ReadConfigKey(const Locations& locations, const wchar_t* key) {
    std::wstring config = locations.GetConfigFilePath();
    if (!FileExists(config)) return {};
    return ReadIniString(config, key);
}

}  // namespace

std::wstring ReadLanConfigPath(const Locations& locations) { return ReadConfigKey(locations, L"LanUpdateConfigFile"); }

std::wstring ReadUpdateHost(const Locations& locations) { return ReadConfigKey(locations, L"UpdateHost"); }
