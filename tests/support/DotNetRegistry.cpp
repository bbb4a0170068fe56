#include "DotNetRegistry.h"

#include "framework/UniqueHandle.h"

namespace {

// The key and the parents that a test may create, outermost first.
const wchar_t* const kChain[] = {
    L"Software\\Microsoft\\.NETFramework",
    L"Software\\Microsoft\\.NETFramework\\policy",
    L"Software\\Microsoft\\.NETFramework\\policy\\v4.0",
};
const wchar_t* const kKey = kChain[2];

bool KeyExists(const wchar_t* path, REGSAM view) {
    RegistryKey key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | view, key.put()) == ERROR_SUCCESS;
}

bool CreateKey(RegistryKey& key, REGSAM view) {
    return RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, key.put(),
                           nullptr) == ERROR_SUCCESS;
}

}  // namespace

bool DotNetKeyExists(REGSAM view) { return KeyExists(kKey, view); }

void DeleteDotNetKey(REGSAM view) {
    RegistryKey parent;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kChain[1], 0, KEY_ALL_ACCESS | view, parent.put()) != ERROR_SUCCESS) return;
    RegDeleteTreeW(parent.get(), L"v4.0");
    RegDeleteKeyExW(parent.get(), L"v4.0", view, 0);
}

bool SetDotNetValue(REGSAM view, const wchar_t* name, DWORD type, const std::vector<BYTE>& data) {
    RegistryKey key;
    if (!CreateKey(key, view)) return false;
    return RegSetValueExW(key.get(), name, 0, type, data.data(), static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

std::vector<BYTE> RegistryText(const std::wstring& text) {
    const BYTE* p = reinterpret_cast<const BYTE*>(text.c_str());
    return std::vector<BYTE>(p, p + (text.size() + 1) * sizeof(wchar_t));
}

bool SetDotNetState(DotNetState state) {
    DeleteDotNetKey(kDotNetView32);
    switch (state) {
    case DotNetState::NoKey:
        return !DotNetKeyExists(kDotNetView32);
    case DotNetState::KeyWithoutValue:
        return SetDotNetValue(kDotNetView32, L"50727", REG_SZ, RegistryText(L"1"));
    case DotNetState::Registered:
        return SetDotNetValue(kDotNetView32, L"30319", REG_SZ,
                              RegistryText(L"C:\\Windows\\Microsoft.NET\\Framework\\v4.0.30319"));
    case DotNetState::ValueTooLong:
        return SetDotNetValue(kDotNetView32, L"30319", REG_BINARY, std::vector<BYTE>(261, 0x41));
    }
    return false;
}

SavedDotNetKey::SavedDotNetKey(REGSAM view) : view_(view) {
    for (const wchar_t* path : kChain) existed_.push_back(KeyExists(path, view_));
    RegistryKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ | view_, key.put()) != ERROR_SUCCESS) return;
    DWORD subKeys = 0;
    RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr);
    hasSubKeys_ = subKeys != 0;
    for (DWORD i = 0;; ++i) {
        std::vector<wchar_t> name(16384);
        DWORD nameChars = static_cast<DWORD>(name.size()), type = 0, size = 0;
        if (RegEnumValueW(key.get(), i, name.data(), &nameChars, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        Value value{std::wstring(name.data(), nameChars), type, std::vector<BYTE>(size)};
        nameChars = static_cast<DWORD>(name.size());
        RegEnumValueW(key.get(), i, name.data(), &nameChars, nullptr, &type, value.data.data(), &size);
        values_.push_back(std::move(value));
    }
}

SavedDotNetKey::~SavedDotNetKey() {
    if (hasSubKeys_) return;
    DeleteDotNetKey(view_);
    if (existed_[2]) {
        RegistryKey key;  // the key itself, even when it held no values
        CreateKey(key, view_);
        for (const Value& value : values_) SetDotNetValue(view_, value.name.c_str(), value.type, value.data);
    }
    for (int i = 1; i >= 0; --i)
        if (!existed_[i]) RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kChain[i], view_, 0);
}
