// The start-up check against a version list on a LAN share.
#pragma once
#include <string>
#include <vector>

#include "app/Locations.h"
#include "update/FileVersion.h"
#include "update/UpdateList.h"

inline constexpr wchar_t kLanFormatVersion[] = L"20210624";

// Copies the LAN configuration file into the temporary folder and records the copy in the list.
// 0: the copy step ran; -1: no LAN path; -2: nothing found at the LAN path.
int CopyLanConfig(UpdateList& list, const Locations& locations);
// The installed version of an INI file, from its [Zorvik] LanUpdateVersion. 0: read; -1: none.
int ReadLanUpdateVersion(const std::wstring& iniPath, FileVersion& version);
// 1 when the entry's installed file is older than its listed version, else 0.
int TestEntryLan(const UpdateEntry& entry, const Locations& locations);
// Fills the list from the LAN configuration file and tests every entry.
// Returns the number of files that need an update; 0 also when the file is missing or of another format.
int CheckLan(UpdateList& list, const Locations& locations);

// The fields of one "File%d" value: every ',', '，', '/', '\' and '|' separates two fields.
std::vector<std::wstring> SplitLanFileValue(const std::wstring& value);
