#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "controls/DotNetCheck.h"
#include "framework/UniqueHandle.h"

namespace {

// The key and the parents that a test may create, outermost first.
const wchar_t* const kChain[] = {
    L"Software\\Microsoft\\.NETFramework",
    L"Software\\Microsoft\\.NETFramework\\policy",
    L"Software\\Microsoft\\.NETFramework\\policy\\v4.0",
};
const wchar_t* const kKey = kChain[2];
constexpr REGSAM kView32 = KEY_WOW64_32KEY;
constexpr REGSAM kView64 = KEY_WOW64_64KEY;

bool KeyExists(const wchar_t* path, REGSAM view) {
    RegistryKey key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | view, key.put()) == ERROR_SUCCESS;
}

void DeleteKeyTree(REGSAM view) {
    RegistryKey parent;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kChain[1], 0, KEY_ALL_ACCESS | view, parent.put()) != ERROR_SUCCESS) return;
    RegDeleteTreeW(parent.get(), L"v4.0");
    RegDeleteKeyExW(parent.get(), L"v4.0", view, 0);
}

void SetValue(REGSAM view, const wchar_t* name, DWORD type, const std::vector<BYTE>& data) {
    RegistryKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.get(), name, 0, type, data.data(), static_cast<DWORD>(data.size())), ERROR_SUCCESS);
}

std::vector<BYTE> Text(const std::wstring& text) {
    const BYTE* p = reinterpret_cast<const BYTE*>(text.c_str());
    return std::vector<BYTE>(p, p + (text.size() + 1) * sizeof(wchar_t));
}

// What one registry view of the test prefix holds under the key, put back when the test
// ends: the prefix is shared by every test of the build tree.
class SavedKey {
public:
    explicit SavedKey(REGSAM view) : view_(view) {
        for (const wchar_t* path : kChain) existed_.push_back(KeyExists(path, view_));
        RegistryKey key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ | view_, key.put()) != ERROR_SUCCESS) return;
        DWORD subKeys = 0;
        RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr);
        hasSubKeys_ = subKeys != 0;
        for (DWORD i = 0;; ++i) {
            wchar_t name[16384];
            DWORD nameChars = 16384, type = 0, size = 0;
            if (RegEnumValueW(key.get(), i, name, &nameChars, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
            Value value{name, type, std::vector<BYTE>(size)};
            nameChars = 16384;
            RegEnumValueW(key.get(), i, name, &nameChars, nullptr, &type, value.data.data(), &size);
            values_.push_back(std::move(value));
        }
    }
    ~SavedKey() {
        DeleteKeyTree(view_);
        if (existed_[2]) {
            for (const Value& value : values_) SetValue(view_, value.name.c_str(), value.type, value.data);
            RegistryKey key;  // the key itself, even when it held no values
            RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_WRITE | view_, nullptr, key.put(), nullptr);
        }
        for (int i = 1; i >= 0; --i)
            if (!existed_[i]) RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kChain[i], view_, 0);
    }
    SavedKey(const SavedKey&) = delete;
    SavedKey& operator=(const SavedKey&) = delete;

    // A key with sub-keys would not be put back whole; such a prefix is left alone.
    bool CanRestore() const { return !hasSubKeys_; }

private:
    struct Value {
        std::wstring name;
        DWORD type;
        std::vector<BYTE> data;
    };
    REGSAM view_;
    std::vector<bool> existed_;
    bool hasSubKeys_ = false;
    std::vector<Value> values_;
};

TEST(IsDotNet40Installed, ReadsValue30319InThe32BitView) {
    SavedKey saved32(kView32);
    SavedKey saved64(kView64);
    if (!saved32.CanRestore() || !saved64.CanRestore()) GTEST_SKIP() << "the prefix's key has sub-keys";

    struct Case {
        const char* name;
        std::function<void()> prepare;
        int expected;
    };
    const Case cases[] = {
        {"string value", [] { SetValue(kView32, L"30319", REG_SZ, Text(L"C:\\Windows\\Microsoft.NET")); }, 1},
        {"number value", [] { SetValue(kView32, L"30319", REG_DWORD, {1, 0, 0, 0}); }, 1},
        {"empty value", [] { SetValue(kView32, L"30319", REG_BINARY, {}); }, 1},
        {"exactly 260 bytes", [] { SetValue(kView32, L"30319", REG_BINARY, std::vector<BYTE>(260, 0x41)); }, 1},
        {"261 bytes", [] { SetValue(kView32, L"30319", REG_BINARY, std::vector<BYTE>(261, 0x41)); }, 0},
        {"long text", [] { SetValue(kView32, L"30319", REG_SZ, Text(std::wstring(200, L'x'))); }, 0},
        {"key without the value", [] { SetValue(kView32, L"50727", REG_SZ, Text(L"1")); }, 0},
        {"no key", [] {}, 0},
        {"value only in the 64-bit view", [] { SetValue(kView64, L"30319", REG_SZ, Text(L"1")); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteKeyTree(kView32);
        DeleteKeyTree(kView64);
        ASSERT_FALSE(KeyExists(kKey, kView32));
        c.prepare();
        EXPECT_EQ(IsDotNet40Installed(), c.expected);
    }
}

}  // namespace
