#include "update/UpdateList.h"

#include <utility>

namespace {

struct BuiltInFile {
    const wchar_t* name;
    const wchar_t* path;
    int kind;
};

// The managed files of the workstation, in the order in which they are checked and fetched.
constexpr BuiltInFile kBuiltInFiles[] = {
    {L"ruVazoro.exe", L"ruVazoro.exe", kKindLauncher},
    {L"Dicom.Core.dll", L"doRozavovu\\Dicom.Core.dll", kKindOutside},
    {L"vcredist_x86.exe", L"vcredist_x86.exe", kKindOutside},
    {L"reDoriVeza.exe", L"reDoriVeza.exe", kKindProduct},
    {L"reDoriVeza64.exe", L"reDoriVeza64.exe", kKindProduct},
    {L"zvHelix.exe", L"zvHelix.exe", kKindProduct},
    {L"zvHelix64.exe", L"zvHelix64.exe", kKindProduct},
    {L"ziRozirAzuvid.exe", L"ziRozirAzuvid.exe", kKindProduct},
    {L"doRozavovu.exe", L"doRozavovu\\doRozavovu.exe", kKindProduct},
};

}  // namespace

UpdateList::UpdateList(int growBy) : growBy_(growBy > 0 ? growBy : 1) {}

void UpdateList::Reserve(int slots) {
    if (slots <= capacity_) return;
    int newCapacity = growBy_ * ((slots + growBy_ - 1) / growBy_);
    auto grown = std::make_unique<std::unique_ptr<UpdateEntry>[]>(newCapacity);
    for (int i = 0; i < count_; ++i) grown[i] = std::move(entries_[i]);
    entries_ = std::move(grown);
    capacity_ = newCapacity;
}

void UpdateList::AddEntry(const wchar_t* name, const wchar_t* path, int kind) {
    AddEntry(name, path, nullptr, kind);
}

void UpdateList::AddEntry(const wchar_t* name, const wchar_t* path, const wchar_t* lanVersion, int kind) {
    auto entry = std::make_unique<UpdateEntry>(name, path, lanVersion, kind);
    Reserve(count_ + 1);
    entries_[count_++] = std::move(entry);
}

void UpdateList::Clear() {
    for (int i = 0; i < count_; ++i) entries_[i].reset();
    count_ = 0;
}

void UpdateList::LoadBuiltInFiles() {
    Clear();
    for (const BuiltInFile& file : kBuiltInFiles) AddEntry(file.name, file.path, file.kind);
}

UpdateEntry* UpdateList::FindPending() const {
    for (int i = 0; i < count_; ++i) {
        if (entries_[i] && entries_[i]->result != 0) return entries_[i].get();
    }
    return nullptr;
}

UpdateEntry* UpdateList::At(int i) const {
    if (i < 0 || i >= count_) return nullptr;
    return entries_[i].get();
}
