// The owning list of one run's entries. Slots grow in steps of growBy; order is kept;
// Clear frees the entries but keeps the slots.
#pragma once
#include <memory>
#include <string>

#include "update/UpdateEntry.h"

class UpdateList {
public:
    explicit UpdateList(int growBy = 1024);

    void AddEntry(const wchar_t* name, const wchar_t* path, int kind);
    void AddEntry(const wchar_t* name, const wchar_t* path, const wchar_t* lanVersion, int kind);
    void Clear();
    // Clear, then the nine built-in managed files in their fixed order.
    void LoadBuiltInFiles();
    // The first entry whose result is non-zero, or null.
    UpdateEntry* FindPending() const;

    int Count() const { return count_; }
    int Capacity() const { return capacity_; }
    int GrowBy() const { return growBy_; }
    // The entry in slot i (0 <= i < Count()), or null for an empty slot.
    UpdateEntry* At(int i) const;

    std::wstring lanConfigCopy;  // the local copy of the LAN configuration file

private:
    void Reserve(int slots);

    std::unique_ptr<std::unique_ptr<UpdateEntry>[]> entries_;
    int capacity_ = 0;
    int count_ = 0;
    int growBy_;
};
