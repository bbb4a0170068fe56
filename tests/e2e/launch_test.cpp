// The real ruVazoro.exe, started from an install folder whose path holds a blank and
// Chinese characters.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

#include "support/InstallFolder.h"
#include "support/LoopbackHttpServer.h"
#include "support/ProgramDriver.h"
#include "support/StubRecord.h"
#include "support/TempDir.h"
#include "support/WriteUtf16Ini.h"

namespace {

// The launcher must be done within this bound once nothing needs updating.
constexpr DWORD kLauncherEndMs = 10000;
constexpr DWORD kStartTimeoutMs = 10000;
constexpr DWORD kNoStartWaitMs = 1500;

class LaunchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE((launcher_ = InstallLauncher(install_.Path())).empty());
        // No update site answers: the start-up check finds nothing to update, at once.
        WriteConfig(L"");
    }
    void WriteConfig(const std::wstring& extraLines) {
        ASSERT_TRUE(WriteUtf16Ini(install_.Path() + L"Zorvik配置.ini",
                                  L"[Zorvik]\r\nUpdateHost=127.0.0.1:" + std::to_wstring(ClosedLoopbackPort()) +
                                      L"\r\n" + extraLines));
    }
    void TearDown() override {
        if (!stub_.empty()) RemoveProgramWhenEnded(stub_, kStartTimeoutMs);
    }
    void InstallStub(const std::wstring& name) {
        ASSERT_FALSE((stub_ = InstallStubStartProgram(install_.Path(), name)).empty());
    }

    TempDir install_{L"Zorvik 安装"};
    // The launcher runs with a current folder of its own, so only its executable's place counts.
    TempDir elsewhere_{L"elsewhere"};
    std::wstring launcher_;
    std::wstring stub_;
};

TEST_F(LaunchTest, StartsTheStartProgramAndEnds) {
    InstallStub(L"reDoriVeza64.exe");

    const ULONGLONG started = GetTickCount64();
    ProgramDriver launcher(launcher_, elsewhere_.Path());
    ASSERT_TRUE(launcher.Started());
    const ProgramEnding ending = launcher.WaitForEnd(kLauncherEndMs);
    ASSERT_TRUE(ending.ended) << "ruVazoro.exe still runs after " << kLauncherEndMs << " ms";
    std::printf("ruVazoro.exe ran %llu ms\n", GetTickCount64() - started);
    EXPECT_EQ(ending.exitCode, 0u);

    std::optional<StubRecord> record = WaitForStubRecord(install_.Path(), kStartTimeoutMs);
    ASSERT_TRUE(record) << "reDoriVeza64.exe was not started";
    EXPECT_EQ(record->commandLine, L"\"" + install_.Path() + L"reDoriVeza64.exe\" Zorvik");
    EXPECT_EQ(record->programFolder, install_.Path());
}

// The LAN road is chosen by the setting alone; a LAN list that is not there means nothing to
// update, and the workstation starts.
TEST_F(LaunchTest, MissingLanListStartsTheStartProgram) {
    InstallStub(L"reDoriVeza64.exe");
    WriteConfig(L"LanUpdateConfigFile=" + elsewhere_.Path() + L"共享\\无此文件.ini\r\n");

    ProgramDriver launcher(launcher_, elsewhere_.Path());
    ASSERT_TRUE(launcher.Started());
    EXPECT_TRUE(launcher.WaitForEnd(kLauncherEndMs).ended) << "ruVazoro.exe still runs after " << kLauncherEndMs << " ms";

    std::optional<StubRecord> record = WaitForStubRecord(install_.Path(), kStartTimeoutMs);
    ASSERT_TRUE(record) << "reDoriVeza64.exe was not started";
    EXPECT_EQ(record->commandLine, L"\"" + install_.Path() + L"reDoriVeza64.exe\" Zorvik");
}

// With the start program of this system's build missing, the update window opens instead;
// closing it ends the program without starting anything.
TEST_F(LaunchTest, OnlyTheOtherBuildPresentOpensTheWindowAndStartsNothing) {
    InstallStub(L"reDoriVeza.exe");

    ProgramDriver launcher(launcher_, elsewhere_.Path());
    ASSERT_TRUE(launcher.Started());
    HWND window = launcher.WaitForTopLevelWindow(kLauncherEndMs, L"#32770");
    ASSERT_NE(window, nullptr) << "the update window did not open";
    wchar_t log[256] = {};
    GetDlgItemTextW(window, 1001, log, 256);
    EXPECT_STREQ(log, L"发现新版本，请更新！");
    PostMessageW(window, WM_CLOSE, 0, 0);
    const ProgramEnding ending = launcher.WaitForEnd(kLauncherEndMs);
    EXPECT_TRUE(ending.ended) << "ruVazoro.exe still runs after " << kLauncherEndMs << " ms";

    Sleep(kNoStartWaitMs);
    EXPECT_FALSE(ReadStubRecord(install_.Path())) << "reDoriVeza.exe was started";
}

}  // namespace
