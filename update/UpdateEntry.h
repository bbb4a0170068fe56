// One managed file of the installation.
#pragma once
#include <string>

enum EntryKind : int {
    kKindProduct = 0,   // a program of the product
    kKindLauncher = 1,  // the launcher's own executable
    kKindOutside = 2,   // a component from an outside party
};

struct UpdateEntry {
    std::wstring name;        // key in the version file and last URL segment
    std::wstring path;        // relative to the program folder; may hold one sub-folder
    int kind = kKindProduct;
    int result = 0;           // 1: needs updating, 0: up to date or handled
    std::wstring lanVersion;  // required version text of a LAN entry

    // Null texts give empty strings.
    UpdateEntry(const wchar_t* name, const wchar_t* path, int kind);
    UpdateEntry(const wchar_t* name, const wchar_t* path, const wchar_t* lanVersion, int kind);
};
