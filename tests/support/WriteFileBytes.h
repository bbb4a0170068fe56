#pragma once
#include <string>
#include <string_view>

// Creates or overwrites a file with exactly these bytes, creating its folders first.
bool WriteFileBytes(const std::wstring& path, std::string_view bytes);
