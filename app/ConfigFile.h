// INI access as the program does it: section Zorvik, strings read with an empty default
// into 1023 characters, integers with default 0, writes that replace one key.
#pragma once
#include <string>

#include "app/Locations.h"

inline constexpr wchar_t kIniSection[] = L"Zorvik";
inline constexpr unsigned kIniValueChars = 1023;

std::wstring ReadIniString(const std::wstring& file, const std::wstring& key);
int ReadIniInt(const std::wstring& file, const std::wstring& key);
void WriteIniString(const std::wstring& file, const std::wstring& key, const std::wstring& value);

// LanUpdateConfigFile of the configuration file; empty when the file is missing.
std::wstring ReadLanConfigPath(const Locations& locations);
// UpdateHost of the configuration file; empty when missing (the built-in host then applies).
std::wstring ReadUpdateHost(const Locations& locations);
