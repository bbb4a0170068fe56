#include <gtest/gtest.h>

#include <windows.h>

#include <climits>

#include "tests/support/ModuleHandle.h"
#include "tests/support/PeFixture.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestProgramFolder.h"
#include "tests/support/WriteFileBytes.h"
#include "framework/UniqueHandle.h"
#include "update/FileVersion.h"

namespace {

FileVersion Installed(unsigned a, unsigned b, unsigned c, unsigned d) {
    FileVersion v;
    v.major = static_cast<int>(a);
    v.minor = static_cast<int>(b);
    v.high = static_cast<int>(c) + 2020;
    v.low = static_cast<int>(d) - 2000;
    return v;
}

FileVersion Required(const std::wstring& text) {
    FileVersion v;
    ParseVersionText(text, v);
    return v;
}

TEST(VersionKey, ReadsTheDateInTheLastTwoParts) {
    EXPECT_EQ(VersionKey(Installed(1, 0, 1, 2624)), 20210624);
    EXPECT_EQ(VersionKey(Installed(0, 0, 0, 0)), 2020 * 10000 - 2000);
    EXPECT_EQ(VersionKey(Installed(5, 7, 1, 2624)), VersionKey(Installed(1, 0, 1, 2624)));
    EXPECT_EQ(VersionKey(Installed(1, 0, 2, 1999)) + 1, VersionKey(Installed(1, 0, 2, 2000)));
    EXPECT_GT(VersionKey(Installed(1, 0, 2, 1999)), VersionKey(Installed(1, 0, 1, 2624)));
    EXPECT_EQ(VersionKey(Installed(65535, 65535, 65535, 65535)), (65535 + 2020) * 10000 + 65535 - 2000);
}

TEST(VersionKey, RequiredIsNewerOnlyWhenItsKeyIsGreater) {
    struct Case {
        FileVersion installed;
        const wchar_t* required;
        bool newer;
    };
    const Case cases[] = {
        {Installed(1, 0, 1, 2624), L"20210624", false},
        {Installed(1, 0, 1, 2624), L"20210625", true},
        {Installed(1, 0, 1, 2624), L"20210623", false},
        {Installed(0, 0, 0, 0), L"20198000", false},
        {Installed(0, 0, 0, 0), L"20198001", true},
        {Installed(0, 0, 0, 0), L"", false},
        {Installed(0, 0, 0, 0), L"abc", false},
        {FileVersion{}, L"1", true},  // an unreadable installed file keeps key 0
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsNewer(Required(c.required), c.installed), c.newer) << c.required;
    }
}

TEST(ParseVersionText, ReadsLikeABase10Long) {
    struct Case {
        const wchar_t* text;
        int key;
        int high;
        int low;
    };
    const Case cases[] = {
        {L"20210624", 20210624, 2021, 624},
        {L" 20210624abc", 20210624, 2021, 624},
        {L"\t\r\n 20210624", 20210624, 2021, 624},
        {L"+20210624", 20210624, 2021, 624},
        {L"abc", 0, 0, 0},
        {L"", 0, 0, 0},
        {L"+", 0, 0, 0},
        {L"- 5", 0, 0, 0},
        {L"a20210624", 0, 0, 0},
        {L"0", 0, 0, 0},
        {L"-5", -5, 0, -5},
        {L"-20210624", -20210624, -2021, -624},
        {L"2147483647", INT_MAX, 214748, 3647},
        {L"2147483648", INT_MAX, 214748, 3647},
        {L"99999999999999999999999", INT_MAX, 214748, 3647},
        {L"-2147483648", INT_MIN, -214748, -3648},
        {L"-2147483649", INT_MIN, -214748, -3648},
        {L"-99999999999999999999999", INT_MIN, -214748, -3648},
        {L"4294967297", INT_MAX, 214748, 3647},  // would wrap to 1 if cut to 32 bits
        {L"2021.06.24", 2021, 0, 2021},
    };
    for (const Case& c : cases) {
        FileVersion v;
        ParseVersionText(c.text, v);
        EXPECT_EQ(VersionKey(v), c.key) << c.text;
        EXPECT_EQ(v.high, c.high) << c.text;
        EXPECT_EQ(v.low, c.low) << c.text;
        EXPECT_EQ(v.major, 0) << c.text;
        EXPECT_EQ(v.minor, 0) << c.text;
    }
}

TEST(ParseVersionText, ZeroLeavesTheRecordUntouched) {
    for (const wchar_t* text : {L"", L"0", L"-0", L"x"}) {
        FileVersion v{1, 2, 3, 4};
        ParseVersionText(text, v);
        EXPECT_EQ(v.major, 1) << text;
        EXPECT_EQ(v.minor, 2) << text;
        EXPECT_EQ(v.high, 3) << text;
        EXPECT_EQ(v.low, 4) << text;
    }
}

class QueryFileVersionTest : public ::testing::Test {
protected:
    TempDir dir_;
};

TEST_F(QueryFileVersionTest, ReadsTheStampedFileVersion) {
    struct Case {
        unsigned a, b, c, d;
        int key;
    };
    const Case cases[] = {
        {1, 0, 1, 2624, 20210624},
        {5, 7, 1, 2624, 20210624},
        {1, 0, 2, 1999, 20219999},
        {0, 0, 0, 0, 20198000},
        {65535, 65535, 65535, 65535, 675613535},
    };
    for (const Case& c : cases) {
        std::wstring exe = dir_ / (L"程序 " + std::to_wstring(c.key) + L".exe");
        ASSERT_TRUE(MakeVersionedPe(exe, c.a, c.b, c.c, c.d));
        FileVersion v;
        EXPECT_EQ(QueryFileVersion(exe, v), 0);
        EXPECT_EQ(v.major, static_cast<int>(c.a));
        EXPECT_EQ(v.minor, static_cast<int>(c.b));
        EXPECT_EQ(v.high, static_cast<int>(c.c) + 2020);
        EXPECT_EQ(v.low, static_cast<int>(c.d) - 2000);
        EXPECT_EQ(VersionKey(v), c.key);
    }
}

TEST_F(QueryFileVersionTest, ResultCodesLeaveTheRecordUntouched) {
    struct Case {
        const wchar_t* name;
        bool make;
        PeFixtureOptions options;
        int result;
    };
    const Case cases[] = {
        {L"missing.exe", false, {}, -2},
        {L"no resource.exe", true, {.versionResource = false}, -2},
        {L"no translation.exe", true, {.translation = false}, -3},
        {L"no fixed block.exe", true, {.fixedBlock = false}, 0},
    };
    for (const Case& c : cases) {
        std::wstring exe = dir_ / c.name;
        if (c.make) {
            ASSERT_TRUE(MakeVersionedPe(exe, 1, 0, 1, 2624, c.options)) << c.name;
        }
        FileVersion v;
        EXPECT_EQ(QueryFileVersion(exe, v), c.result) << c.name;
        EXPECT_EQ(v.major, 0) << c.name;
        EXPECT_EQ(v.minor, 0) << c.name;
        EXPECT_EQ(VersionKey(v), 0) << c.name;
    }
}

TEST_F(QueryFileVersionTest, TextFileHasNoVersion) {
    std::wstring ini = dir_ / L"设置.ini";
    ASSERT_TRUE(WriteFileBytes(ini, "[Zorvik]\r\nVersion=20210624\r\n"));
    FileVersion v;
    EXPECT_EQ(QueryFileVersion(ini, v), -2);
    EXPECT_EQ(VersionKey(v), 0);
}

TEST_F(QueryFileVersionTest, RestampingReplacesTheVersionAndTheProgramStillRuns) {
    std::wstring exe = dir_ / L"stub.exe";
    ASSERT_TRUE(MakeVersionedPe(exe, 1, 0, 1, 2624));
    ASSERT_TRUE(StampVersion(exe, 2, 0, 3, 2101));
    FileVersion v;
    ASSERT_EQ(QueryFileVersion(exe, v), 0);
    EXPECT_EQ(VersionKey(v), 20230101);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring command = L"\"" + exe + L"\"";
    ASSERT_TRUE(CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    KernelHandle thread(process.hThread);
    KernelHandle handle(process.hProcess);
    ASSERT_EQ(WaitForSingleObject(handle.get(), 30000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(handle.get(), &code);
    EXPECT_EQ(code, 0u);

    ASSERT_TRUE(StampVersion(exe, 0, 0, 0, 0, {.versionResource = false}));
    FileVersion none;
    EXPECT_EQ(QueryFileVersion(exe, none), -2);
}

std::string ManifestOf(const std::wstring& exe) {
    ModuleHandle module(LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module) return {};
    std::string bytes;
    if (HRSRC found = FindResourceW(module.get(), MAKEINTRESOURCEW(1), RT_MANIFEST)) {
        if (const void* data = LockResource(LoadResource(module.get(), found)))
            bytes.assign(static_cast<const char*>(data), SizeofResource(module.get(), found));
    }
    return bytes;
}

TEST_F(QueryFileVersionTest, StampingAProgramKeepsItsOtherResources) {
    std::wstring exe = dir_ / L"ruVazoro.exe";
    ASSERT_TRUE(CopyFileW((TestProgramFolder() + L"ruVazoro.exe").c_str(), exe.c_str(), FALSE));
    std::string manifest = ManifestOf(exe);
    ASSERT_FALSE(manifest.empty());
    ASSERT_TRUE(StampVersion(exe, 1, 0, 1, 2624));
    FileVersion v;
    ASSERT_EQ(QueryFileVersion(exe, v), 0);
    EXPECT_EQ(VersionKey(v), 20210624);
    EXPECT_EQ(ManifestOf(exe), manifest);
}

}  // namespace
