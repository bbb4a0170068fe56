#pragma once
#include <string>

// Writes an INI file as UTF-16LE with a byte-order mark, the form in which the platform's
// profile functions keep Chinese values intact. Lines are separated by "\r\n" in the text.
bool WriteUtf16Ini(const std::wstring& path, const std::wstring& text);
