#pragma once
#include <string>

// The whole content of a file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);
