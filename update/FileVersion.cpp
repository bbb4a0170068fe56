#include "update/FileVersion.h"

#include <windows.h>

#include <climits>
#include <cwctype>
#include <vector>

int QueryFileVersion(const std::wstring& path, FileVersion& version) {
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
    if (size == 0) return -2;
    std::vector<char> block(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return -1;

    void* value = nullptr;
    UINT valueBytes = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &valueBytes)) return -3;
    if (!VerQueryValueW(block.data(), L"\\", &value, &valueBytes) || value == nullptr ||
        valueBytes < sizeof(VS_FIXEDFILEINFO)) {
        return 0;  // no fixed block: the record keeps its zeros
    }
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    version.major = static_cast<int>(HIWORD(fixed->dwFileVersionMS));
    version.minor = static_cast<int>(LOWORD(fixed->dwFileVersionMS));
    version.high = static_cast<int>(HIWORD(fixed->dwFileVersionLS)) + 2020;
    version.low = static_cast<int>(LOWORD(fixed->dwFileVersionLS)) - 2000;
    return 0;
}

namespace {

bool IsBlank(wchar_t c) { return std::iswspace(c) != 0; }

// The value of a decimal number at the start of the text, as the C library's wcstol reads
// base 10: blanks, an optional sign, then digits. No digits give 0; values beyond the
// signed 32-bit range give its nearest end.
int ReadDecimal(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    // Accumulated as a magnitude, stopped just beyond the 32-bit range.
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    long long magnitude = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - L'0');
        if (magnitude > limit) magnitude = limit + 1;
    }
    if (magnitude > limit) return negative ? INT_MIN : INT_MAX;
    return static_cast<int>(negative ? -magnitude : magnitude);
}

}  // namespace

void ParseVersionText(const std::wstring& text, FileVersion& version) {
    int value = ReadDecimal(text);
    if (value == 0) return;
    version.high = value / 10000;
    version.low = value % 10000;
}

int VersionKey(const FileVersion& version) { return version.high * 10000 + version.low; }
