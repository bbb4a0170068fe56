// The record that the stub start program (programs/stub_start.cpp) leaves beside its
// executable when it runs.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

inline constexpr wchar_t kStubRecordName[] = L"stub-record.txt";

struct StubRecord {
    std::wstring commandLine;    // exactly as the stub's GetCommandLineW returned it
    std::wstring programFolder;  // the stub executable's folder, with trailing backslash
    std::wstring currentFolder;  // the stub's current folder when it ran
};

// The record in folder (the folder that holds the stub), or none when there is none yet.
std::optional<StubRecord> ReadStubRecord(const std::wstring& folder);
// Waits up to timeoutMs for the record to appear in folder.
std::optional<StubRecord> WaitForStubRecord(const std::wstring& folder, DWORD timeoutMs);
