// File versions and the one number they are compared by. The third and fourth parts of a
// file version carry a date: a.b.c.d has the key (c + 2020) * 10000 + (d - 2000), so 1.0.1.2624
// reads 20210624. Required versions are written as that decimal number.
#pragma once
#include <string>

struct FileVersion {
    int major = 0;
    int minor = 0;
    int high = 0;
    int low = 0;
};

// 0: read (the record stays zero when there is no fixed version block);
// -1: reading the resource failed; -2: no version resource or no file; -3: no translation table.
int QueryFileVersion(const std::wstring& path, FileVersion& version);
// Reads the text as a base-10 long (leading blanks, sign, digits; clamped to 32 bits).
// A value of 0 leaves the record untouched.
void ParseVersionText(const std::wstring& text, FileVersion& version);
// high * 10000 + low.
int VersionKey(const FileVersion& version);
// The required version is newer exactly when its key is greater.
inline bool IsNewer(const FileVersion& required, const FileVersion& installed) {
    return VersionKey(required) > VersionKey(installed);
}
