// Puts the test prefix's 32-bit registry view into a chosen .NET Framework 4.0 state, and
// puts back what the prefix held when the test is done. Every test program of the build
// tree shares the prefix, so tests that use this hold the "dotnet_registry" lock.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

enum class DotNetState {
    NoKey,            // "...\policy\v4.0" absent
    KeyWithoutValue,  // the key with another value, no "30319"
    Registered,       // "30319" with a short text
    ValueTooLong,     // "30319" with 261 bytes of data
};

// The registry view that the program reads.
inline constexpr REGSAM kDotNetView32 = KEY_WOW64_32KEY;
inline constexpr REGSAM kDotNetView64 = KEY_WOW64_64KEY;

// Sets the state in the 32-bit view; false when the registry refused.
bool SetDotNetState(DotNetState state);

// Lower-level steps, for any view.
bool DotNetKeyExists(REGSAM view);
void DeleteDotNetKey(REGSAM view);  // the "v4.0" key with everything in it
bool SetDotNetValue(REGSAM view, const wchar_t* name, DWORD type, const std::vector<BYTE>& data);
// A REG_SZ value's bytes, NUL included.
std::vector<BYTE> RegistryText(const std::wstring& text);

// What one view held under the key when the object was made, restored when it goes.
class SavedDotNetKey {
public:
    explicit SavedDotNetKey(REGSAM view = kDotNetView32);
    ~SavedDotNetKey();
    SavedDotNetKey(const SavedDotNetKey&) = delete;
    SavedDotNetKey& operator=(const SavedDotNetKey&) = delete;

    // A key with sub-keys would not be put back whole; a test then leaves the prefix alone.
    bool CanRestore() const { return !hasSubKeys_; }

private:
    struct Value {
        std::wstring name;
        DWORD type;
        std::vector<BYTE> data;
    };
    REGSAM view_;
    std::vector<bool> existed_;  // each key of the chain, outermost first
    bool hasSubKeys_ = false;
    std::vector<Value> values_;
};
