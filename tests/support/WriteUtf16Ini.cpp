#include "WriteUtf16Ini.h"

#include "WriteFileBytes.h"

bool WriteUtf16Ini(const std::wstring& path, const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return WriteFileBytes(path, bytes);
}
