// The real ruVazoro.exe at start, against an update site on loopback: an install folder with
// the launcher, the stub as reDoriVeza64.exe and the other managed files at known versions.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/ConfigFile.h"
#include "support/DotNetRegistry.h"
#include "support/InstallFolder.h"
#include "support/LoopbackHttpServer.h"
#include "support/PeFixture.h"
#include "support/ProgramDriver.h"
#include "support/ScreenCapture.h"
#include "support/StubRecord.h"
#include "support/TempDir.h"
#include "support/WaitUntil.h"
#include "support/WindowDriver.h"
#include "support/WriteUtf16Ini.h"

namespace {

constexpr DWORD kStartTimeoutMs = 10000;
constexpr DWORD kLauncherEndMs = 10000;
// A site that cannot be reached costs no waiting: the start program follows at once.
constexpr ULONGLONG kUnreachableBoundMs = 3000;
// A site that accepts and never answers holds the start for the fetch's time-outs at most.
constexpr ULONGLONG kSilentBoundMs = 12000;
constexpr DWORD kNoStartWaitMs = 1500;

constexpr int kLogId = 1001;
constexpr int kOpenUrlId = 1008;
constexpr int kOpenInfoId = 1007;

// Every managed file besides the launcher and the start program, at 1.0.1.2624 (key 20210624).
const wchar_t* const kOtherFiles[] = {
    L"doRozavovu\\Dicom.Core.dll", L"vcredist_x86.exe",  L"reDoriVeza.exe",
    L"zvHelix.exe",                L"zvHelix64.exe",     L"ziRozirAzuvid.exe",
    L"doRozavovu\\doRozavovu.exe",
};

// A version page that asks for exactly the installed versions, apart from the changes (the
// INI reader takes the first value of a key, so they go before the defaults).
std::string Page(const std::string& changes = {}, const std::wstring& dotNetLines = {}) {
    std::wstring text = L"[Zorvik]\r\n" + dotNetLines;
    text += std::wstring(changes.begin(), changes.end());
    text += L"ruVazoro.exe=20211130\r\nreDoriVeza64.exe=20210624\r\nDicom.Core.dll=20210624\r\n"
            L"vcredist_x86.exe=20210624\r\nreDoriVeza.exe=20210624\r\nzvHelix.exe=20210624\r\n"
            L"zvHelix64.exe=20210624\r\nziRozirAzuvid.exe=20210624\r\ndoRozavovu.exe=20210624\r\n";
    std::string bytes = "\xFF\xFE";  // UTF-16LE, so that the Chinese hint reads whole
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}

class InternetStartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server_.Listening());
        ASSERT_FALSE((launcher_ = InstallLauncher(install_.Path())).empty());
        ASSERT_FALSE((stub_ = InstallStubStartProgram(install_.Path(), L"reDoriVeza64.exe")).empty());
        ASSERT_TRUE(StampVersion(stub_, 1, 0, 1, 2624));
        for (const wchar_t* path : kOtherFiles) ASSERT_TRUE(MakeVersionedPe(install_ / path, 1, 0, 1, 2624)) << path;
        UseHost(server_.HostPortW());
    }
    void TearDown() override { RemoveProgramWhenEnded(stub_, kStartTimeoutMs); }

    void UseHost(const std::wstring& host) {
        ASSERT_TRUE(WriteUtf16Ini(ConfigFile(), L"[Zorvik]\r\nUpdateHost=" + host + L"\r\n"));
    }
    std::wstring ConfigFile() const { return install_ / L"Zorvik配置.ini"; }
    void ServePage(const std::string& body) { server_.SetReply("/update/update.html", ScriptedReply::Ok(body)); }

    // Every request the site got asked for the version page, and at least one came.
    void ExpectOnlyVersionPageRequests() const {
        const std::vector<RecordedRequest> requests = server_.Requests();
        ASSERT_FALSE(requests.empty()) << "the site was not asked";
        for (const RecordedRequest& request : requests) {
            EXPECT_EQ(request.method, "GET");
            EXPECT_EQ(request.target, "/update/update.html");
        }
    }

    // Runs the launcher until it ends, watching for any window of it on the way.
    struct Run {
        bool ended = false;
        bool windowSeen = false;
        ULONGLONG startMs = 0;  // when the stub's record appeared, from the launcher's start
    };
    Run RunUntilEnd(DWORD timeoutMs) {
        Run run;
        const ULONGLONG started = GetTickCount64();
        ProgramDriver launcher(launcher_, elsewhere_.Path());
        EXPECT_TRUE(launcher.Started());
        WaitUntil(
            [&] {
                if (launcher.FindTopLevelWindow()) run.windowSeen = true;
                if (!run.startMs && ReadStubRecord(install_.Path())) run.startMs = GetTickCount64() - started;
                return launcher.WaitForEnd(0).ended;
            },
            timeoutMs, 5);
        run.ended = launcher.WaitForEnd(0).ended;
        if (!run.startMs && WaitForStubRecord(install_.Path(), kStartTimeoutMs)) run.startMs = GetTickCount64() - started;
        return run;
    }

    void ExpectStubStarted() const {
        std::optional<StubRecord> record = ReadStubRecord(install_.Path());
        ASSERT_TRUE(record) << "reDoriVeza64.exe was not started";
        EXPECT_EQ(record->commandLine, L"\"" + install_.Path() + L"reDoriVeza64.exe\" Zorvik");
    }

    LoopbackHttpServer server_;
    TempDir install_{L"Zorvik 安装"};
    TempDir elsewhere_{L"elsewhere"};
    std::wstring launcher_;
    std::wstring stub_;
};

TEST_F(InternetStartupTest, NothingOlderStartsTheStartProgramWithoutAWindow) {
    ServePage(Page());
    const Run run = RunUntilEnd(kLauncherEndMs);
    ASSERT_TRUE(run.ended) << "ruVazoro.exe still runs after " << kLauncherEndMs << " ms";
    EXPECT_FALSE(run.windowSeen);
    ExpectStubStarted();
    ExpectOnlyVersionPageRequests();
    EXPECT_EQ(ReadIniString(ConfigFile(), L"LaunchUpdate"), L"");
}

TEST_F(InternetStartupTest, TwoOlderFilesOpenTheWindow) {
    struct Case {
        const char* what;
        std::string changes;
        std::wstring launchUpdate;
    };
    const Case cases[] = {
        {"ruVazoro.exe and zvHelix.exe", "ruVazoro.exe=20211201\r\nzvHelix.exe=20210625\r\n", L"1"},
        {"zvHelix.exe and Dicom.Core.dll", "zvHelix.exe=20210625\r\nDicom.Core.dll=20210625\r\n", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UseHost(server_.HostPortW());
        ServePage(Page(c.changes));

        ProgramDriver launcher(launcher_, elsewhere_.Path());
        ASSERT_TRUE(launcher.Started());
        WindowDriver window(WaitForUpdateWindow(launcher.ProcessId(), kStartTimeoutMs));
        ASSERT_TRUE(window.Visible()) << "the update window did not open";
        EXPECT_EQ(window.ControlText(kLogId), L"发现新版本，请更新！");
        EXPECT_EQ(ReadIniString(ConfigFile(), L"LaunchUpdate"), c.launchUpdate);
        ExpectOnlyVersionPageRequests();

        ASSERT_TRUE(window.PostClick(IDCANCEL));  // "退出"
        ASSERT_TRUE(launcher.WaitForEnd(kLauncherEndMs).ended);
        Sleep(kNoStartWaitMs);
        EXPECT_FALSE(ReadStubRecord(install_.Path())) << "the start program was started";
    }
}

TEST_F(InternetStartupTest, AnUnreachableSiteStartsTheStartProgramAtOnce) {
    UseHost(L"127.0.0.1:" + std::to_wstring(ClosedLoopbackPort()));
    const Run run = RunUntilEnd(kLauncherEndMs);
    ASSERT_TRUE(run.ended);
    EXPECT_FALSE(run.windowSeen);
    ExpectStubStarted();
    std::printf("unreachable site: start program started after %llu ms\n", run.startMs);
    EXPECT_LT(run.startMs, kUnreachableBoundMs);
}

TEST_F(InternetStartupTest, ASilentSiteStartsTheStartProgramWithinTheTimeOut) {
    server_.SetReply("/update/update.html", ScriptedReply::Silent());
    const Run run = RunUntilEnd(kSilentBoundMs + kStartTimeoutMs);
    ASSERT_TRUE(run.ended);
    EXPECT_FALSE(run.windowSeen);
    ExpectStubStarted();
    ExpectOnlyVersionPageRequests();
    std::printf("silent site: start program started after %llu ms\n", run.startMs);
    EXPECT_LT(run.startMs, kSilentBoundMs);
}

// .NET missing from the prefix's registry and a page that names the address and the hint:
// the prompt comes first, and "忽略" lets the start go on. Registered: no prompt.
TEST_F(InternetStartupTest, TheDotNetPromptComesFirstAndIgnoreGoesOn) {
    SavedDotNetKey saved;
    if (!saved.CanRestore()) GTEST_SKIP() << "the prefix's .NET key has sub-keys";
    const std::wstring url = L"https://dotnet.example/dotNetFx40_Full_x86_x64.exe";
    const std::wstring hint = L"请安装 .NET Framework 4.0";
    ServePage(Page({}, L"OpenURL1=" + url + L"\r\nOpenInfo1=" + hint + L"\r\n"));

    ASSERT_TRUE(SetDotNetState(DotNetState::Registered));
    const Run registered = RunUntilEnd(kLauncherEndMs);
    ASSERT_TRUE(registered.ended);
    EXPECT_FALSE(registered.windowSeen) << "a prompt although .NET is registered";
    ExpectStubStarted();
    ASSERT_TRUE(DeleteFileW((install_ / kStubRecordName).c_str()));

    ASSERT_TRUE(SetDotNetState(DotNetState::KeyWithoutValue));
    ProgramDriver launcher(launcher_, elsewhere_.Path());
    ASSERT_TRUE(launcher.Started());
    WindowDriver prompt(launcher.WaitForTopLevelWindow(kStartTimeoutMs, kDialogClass));
    ASSERT_TRUE(prompt.Visible()) << "the prompt did not appear";
    ASSERT_NE(prompt.Control(kOpenUrlId), nullptr) << "the window is not the prompt";
    EXPECT_TRUE(prompt.WaitForControlText(kOpenUrlId, url, kStartTimeoutMs));
    EXPECT_EQ(prompt.ControlText(kOpenInfoId), hint);
    EXPECT_FALSE(ReadStubRecord(install_.Path())) << "nothing starts while the prompt is open";

    WindowDriver::MovePointerAway();
    Sleep(300);
    ScreenCapture::OfWindow(prompt.Handle()).SaveBmp(ScreenshotFolder() + L"dotnet_prompt.bmp");

    ASSERT_TRUE(prompt.PostClick(IDCANCEL));  // "忽略"
    EXPECT_TRUE(launcher.WaitForEnd(kLauncherEndMs).ended);
    EXPECT_TRUE(WaitForStubRecord(install_.Path(), kStartTimeoutMs)) << "the start did not go on after 忽略";
}

}  // namespace
