#include "update/UpdateEntry.h"

namespace {
std::wstring TextOrEmpty(const wchar_t* text) { return text ? std::wstring(text) : std::wstring(); }
}  // namespace

UpdateEntry::UpdateEntry(const wchar_t* name, const wchar_t* path, int kind)
    : UpdateEntry(name, path, nullptr, kind) {}

UpdateEntry::UpdateEntry(const wchar_t* name, const wchar_t* path, const wchar_t* lanVersion, int kind)
    : name(TextOrEmpty(name)), path(TextOrEmpty(path)), kind(kind), lanVersion(TextOrEmpty(lanVersion)) {}
