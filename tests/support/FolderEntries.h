#pragma once
#include <string>
#include <vector>

// The names in a folder (without "." and ".."), sorted.
std::vector<std::wstring> FolderEntries(const std::wstring& folder);
