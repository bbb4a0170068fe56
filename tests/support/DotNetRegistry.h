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

// Sets the state; false when the registry refused.
bool SetDotNetState(DotNetState state);

// What the 32-bit view held under the key when the object was made, restored when it goes.
class SavedDotNetKey {
public:
    SavedDotNetKey();
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
    std::vector<bool> existed_;  // each key of the chain, outermost first
    bool hasSubKeys_ = false;
    std::vector<Value> values_;
};
