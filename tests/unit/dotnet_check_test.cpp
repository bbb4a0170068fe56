#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "controls/DotNetCheck.h"
#include "tests/support/DotNetRegistry.h"

namespace {

const REGSAM kView32 = kDotNetView32;
const REGSAM kView64 = kDotNetView64;

void SetValue(REGSAM view, const wchar_t* name, DWORD type, const std::vector<BYTE>& data) {
    ASSERT_TRUE(SetDotNetValue(view, name, type, data));
}

std::vector<BYTE> Text(const std::wstring& text) { return RegistryText(text); }

TEST(IsDotNet40Installed, ReadsValue30319InThe32BitView) {
    SavedDotNetKey saved32(kView32);
    SavedDotNetKey saved64(kView64);
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
        DeleteDotNetKey(kView32);
        DeleteDotNetKey(kView64);
        ASSERT_FALSE(DotNetKeyExists(kView32));
        c.prepare();
        EXPECT_EQ(IsDotNet40Installed(), c.expected);
    }
}

}  // namespace
