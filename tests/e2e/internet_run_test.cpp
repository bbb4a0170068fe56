// The real ruVazoro.exe's update run against an update site on loopback: the start-up check
// marks the files whose installed version is older than the page asks for, the window opens,
// and "检查更新" fetches the page again, then backs up, downloads and installs each file.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ConfigFile.h"
#include "support/FolderEntries.h"
#include "support/InstallFolder.h"
#include "support/LoopbackHttpServer.h"
#include "support/PeFixture.h"
#include "support/ProgramDriver.h"
#include "support/ReadFileBytes.h"
#include "support/ScreenCapture.h"
#include "support/StubRecord.h"
#include "support/TempDir.h"
#include "support/TestProgramFolder.h"
#include "support/WaitUntil.h"
#include "support/WindowDriver.h"
#include "support/WriteUtf16Ini.h"

namespace {

constexpr int kCheckUpdateId = 1000;
constexpr int kLogId = 1001;
constexpr int kLaunchId = 1003;
constexpr DWORD kStartTimeoutMs = 15000;
constexpr DWORD kRunTimeoutMs = 30000;
constexpr DWORD kLauncherEndMs = 10000;
// After a failure the run must stay where it stopped; watch it this long.
constexpr DWORD kStoppedWatchMs = 1500;
// Closing the window during a download ends the process within this bound.
constexpr ULONGLONG kCloseToExitBoundMs = 2000;

constexpr wchar_t kNotice[] = L"发现新版本，请更新！";
constexpr wchar_t kAllDone[] = L"所有操作已完成！\r\n";
constexpr wchar_t kNothingToUpdate[] = L"所有软件无需更新...\r\n";
constexpr char kPagePath[] = "/update/update.html";

// Every managed file besides the launcher and the start program, installed at 1.0.1.2624
// (key 20210624). The launcher itself is 1.0.1.3130 (key 20211130).
const wchar_t* const kOtherFiles[] = {
    L"doRozavovu\\Dicom.Core.dll", L"vcredist_x86.exe",  L"reDoriVeza.exe",
    L"zvHelix.exe",                L"zvHelix64.exe",     L"ziRozirAzuvid.exe",
    L"doRozavovu\\doRozavovu.exe",
};

// A version page that asks for exactly the installed versions, apart from the changes (the
// INI reader takes the first value of a key, so they go first).
std::string Page(const std::string& changes = {}) {
    return "[Zorvik]\r\n" + changes +
           "ruVazoro.exe=20211130\r\nreDoriVeza64.exe=20210624\r\nDicom.Core.dll=20210624\r\n"
           "vcredist_x86.exe=20210624\r\nreDoriVeza.exe=20210624\r\nzvHelix.exe=20210624\r\n"
           "zvHelix64.exe=20210624\r\nziRozirAzuvid.exe=20210624\r\ndoRozavovu.exe=20210624\r\n";
}

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::vector<std::string> Targets(const LoopbackHttpServer& server) {
    std::vector<std::string> targets;
    for (const RecordedRequest& request : server.Requests()) targets.push_back(request.target);
    return targets;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// One installation with its own update site, and the launcher running from it.
class Installation {
public:
    Installation() {
        EXPECT_TRUE(server.Listening());
        EXPECT_FALSE((launcher_ = InstallLauncher(install.Path())).empty());
        EXPECT_FALSE((stub_ = InstallStubStartProgram(install.Path(), L"reDoriVeza64.exe")).empty());
        EXPECT_TRUE(StampVersion(stub_, 1, 0, 1, 2624));
        for (const wchar_t* path : kOtherFiles) EXPECT_TRUE(MakeVersionedPe(install / path, 1, 0, 1, 2624)) << path;
        EXPECT_TRUE(WriteUtf16Ini(ConfigFile(), L"[Zorvik]\r\nUpdateHost=" + Host() + L"\r\n"));
    }
    ~Installation() {
        launcher.reset();
        RemoveProgramWhenEnded(stub_, kStartTimeoutMs);
    }

    std::wstring Host() const { return server.HostPortW(); }
    std::wstring ConfigFile() const { return install / L"Zorvik配置.ini"; }
    std::wstring Installed(const std::wstring& path) const { return install / path; }
    std::wstring Downloaded(const std::wstring& path) const { return install / (L"zvTemp\\" + path); }
    std::wstring Backup(const std::wstring& path) const { return install / (L"zvBackup\\" + path); }

    // A newer build of a managed file, served at /update/<name>; returns its bytes.
    std::string ServeNewBuild(const std::string& name) {
        const std::wstring built = site / Widen(name);
        EXPECT_TRUE(MakeVersionedPe(built, 1, 0, 1, 2625));
        std::string bytes = ReadFileBytes(built);
        EXPECT_FALSE(bytes.empty());
        server.SetReply("/update/" + name, ScriptedReply::Ok(bytes));
        return bytes;
    }

    // Starts the launcher and waits for its window with the new-version notice.
    bool Open() {
        launcher = std::make_unique<ProgramDriver>(launcher_, elsewhere.Path());
        if (!launcher->Started()) return false;
        window = WindowDriver(WaitForUpdateWindow(launcher->ProcessId(), kStartTimeoutMs));
        return window.Visible() && window.WaitForControlText(kLogId, kNotice, kStartTimeoutMs);
    }

    // Presses "检查更新" and waits for the log to end with ending.
    bool RunUntilLogEndsWith(const std::wstring& ending) {
        return window.PostClick(kCheckUpdateId) && window.WaitForControlTextEnding(kLogId, ending, kRunTimeoutMs);
    }

    std::wstring Log() const { return window.ControlText(kLogId); }
    std::wstring Opening() const {
        return L"开始检查是否有新版本...\r\n\r\n连接到Zorvik网站 " + Host() + L" \r\n\r\n";
    }

    LoopbackHttpServer server;
    TempDir install{L"Zorvik 安装"};
    TempDir site{L"site"};
    TempDir elsewhere{L"elsewhere"};
    std::unique_ptr<ProgramDriver> launcher;
    WindowDriver window;
    std::string configBefore;  // the configuration file as the launcher found it

private:
    std::wstring launcher_;
    std::wstring stub_;
};

// The whole road of two files, one of them in a sub-folder, then "启动程序".
TEST(InternetRunTest, TwoFilesAreBackedUpDownloadedAndInstalledInListOrder) {
    Installation at;
    at.server.SetReply(kPagePath, ScriptedReply::Ok(Page("zvHelix.exe=20210625\r\ndoRozavovu.exe=20210625\r\n")));
    const std::string helix = at.ServeNewBuild("zvHelix.exe");
    const std::string doRozavovu = at.ServeNewBuild("doRozavovu.exe");
    const std::string oldHelix = ReadFileBytes(at.Installed(L"zvHelix.exe"));
    const std::string oldDoRozavovu = ReadFileBytes(at.Installed(L"doRozavovu\\doRozavovu.exe"));

    ASSERT_TRUE(at.Open());
    const std::vector<std::string> startup = Targets(at.server);
    EXPECT_EQ(startup, std::vector<std::string>{kPagePath}) << "the start-up check fetched the page once";

    ASSERT_TRUE(at.RunUntilLogEndsWith(kAllDone)) << at.Log().c_str();
    ScreenCapture::OfWindow(at.window.Handle()).SaveBmp(ScreenshotFolder() + L"internet_run_done.bmp");

    const std::wstring helixPath = at.Installed(L"zvHelix.exe");
    const std::wstring doRozavovuPath = at.Installed(L"doRozavovu\\doRozavovu.exe");
    EXPECT_EQ(at.Log(), at.Opening() + L"共2个文件待更新...\r\n" + L"正在备份" + helixPath + L"文件\r\n" + L"正在更新" +
                            helixPath + L"文件\r\n\r\n" + L"正在备份" + doRozavovuPath + L"文件\r\n" + L"正在更新" +
                            doRozavovuPath + L"文件\r\n\r\n" + kAllDone);
    EXPECT_EQ(Targets(at.server), (std::vector<std::string>{kPagePath, kPagePath, "/update/zvHelix.exe",
                                                            "/update/doRozavovu.exe"}));

    EXPECT_TRUE(ReadFileBytes(helixPath) == helix) << "zvHelix.exe is not the served build";
    EXPECT_TRUE(ReadFileBytes(doRozavovuPath) == doRozavovu) << "doRozavovu.exe is not the served build";
    EXPECT_TRUE(ReadFileBytes(at.Downloaded(L"zvHelix.exe")) == helix);
    EXPECT_TRUE(ReadFileBytes(at.Downloaded(L"doRozavovu\\doRozavovu.exe")) == doRozavovu);
    EXPECT_EQ(ReadFileBytes(at.Downloaded(L"Zorvik版本.ini")), Page("zvHelix.exe=20210625\r\ndoRozavovu.exe=20210625\r\n"));
    EXPECT_EQ(FolderEntries(at.install / L"zvBackup"), (std::vector<std::wstring>{L"doRozavovu", L"zvHelix.exe_20210624"}));
    EXPECT_EQ(FolderEntries(at.install / L"zvBackup\\doRozavovu"), std::vector<std::wstring>{L"doRozavovu.exe_20210624"});
    EXPECT_TRUE(ReadFileBytes(at.Backup(L"zvHelix.exe_20210624")) == oldHelix);
    EXPECT_TRUE(ReadFileBytes(at.Backup(L"doRozavovu\\doRozavovu.exe_20210624")) == oldDoRozavovu);

    EXPECT_EQ(ReadIniString(at.ConfigFile(), L"NeedUpdate"), L"0");
    EXPECT_EQ(ReadIniString(at.ConfigFile(), L"UpdateHost"), at.Host());
    EXPECT_TRUE(at.window.ControlEnabled(kCheckUpdateId));
    EXPECT_TRUE(at.window.ControlEnabled(kLaunchId));

    ASSERT_TRUE(at.window.PostClick(kLaunchId));
    std::optional<StubRecord> record = WaitForStubRecord(at.install.Path(), kStartTimeoutMs);
    ASSERT_TRUE(record) << "reDoriVeza64.exe was not started";
    EXPECT_EQ(record->commandLine, L"\"" + at.install.Path() + L"reDoriVeza64.exe\" Zorvik");
    const ProgramEnding ending = at.launcher->WaitForEnd(kLauncherEndMs);
    EXPECT_TRUE(ending.ended);
    EXPECT_EQ(ending.exitCode, 0u);
}

// What a run does when one of its steps goes another way. Each case has its own install
// folder and site; `prepare` scripts both, `act` runs the window, `check` looks at the result.
TEST(InternetRunTest, RunsThatEndOtherwise) {
    struct Case {
        const char* name;
        std::function<void(Installation&)> prepare;
        std::function<void(Installation&)> act;
        std::function<void(Installation&)> check;
    };
    const Case cases[] = {
        {"only the launcher's own file",
         [](Installation& at) {
             at.server.SetReply(kPagePath, ScriptedReply::Ok(Page("ruVazoro.exe=20211201\r\n")));
             at.ServeNewBuild("ruVazoro.exe");
         },
         [](Installation& at) { ASSERT_TRUE(at.RunUntilLogEndsWith(kAllDone)) << at.Log().c_str(); },
         [](Installation& at) {
             const std::wstring own = at.Installed(L"ruVazoro.exe");
             EXPECT_EQ(at.Log(), at.Opening() + L"共1个文件待更新...\r\n" + L"正在备份" + own + L"文件\r\n" +
                                     L"ruVazoro.exe将在点击[启动程序]按钮后更新\r\n\r\n" + kAllDone);
             EXPECT_TRUE(ReadFileBytes(at.Downloaded(L"ruVazoro.exe")) == ReadFileBytes(at.site / L"ruVazoro.exe"));
             EXPECT_TRUE(ReadFileBytes(own) == ReadFileBytes(TestProgramFolder() + L"ruVazoro.exe"))
                 << "the running launcher was replaced";
             EXPECT_EQ(FolderEntries(at.install / L"zvBackup"), std::vector<std::wstring>{L"ruVazoro.exe_20211130"});
             EXPECT_EQ(ReadIniString(at.ConfigFile(), L"NeedUpdate"), L"0");
             EXPECT_EQ(ReadIniString(at.ConfigFile(), L"LaunchUpdate"), L"1");
             EXPECT_TRUE(at.window.ControlEnabled(kCheckUpdateId));
         }},
        {"nothing pending at run time",
         // The site fails at start, so nothing is marked and the workstation would start; its
         // start program is missing, so the window opens. At the run the site answers.
         [](Installation& at) {
             ASSERT_TRUE(DeleteFileW(at.Installed(L"reDoriVeza64.exe").c_str()));
             at.server.SetReply(kPagePath, ScriptedReply::Status(503, "Service Unavailable"));
         },
         [](Installation& at) {
             at.server.SetReply(kPagePath, ScriptedReply::Ok(Page()));
             ASSERT_TRUE(at.RunUntilLogEndsWith(kNothingToUpdate)) << at.Log().c_str();
         },
         [](Installation& at) {
             EXPECT_EQ(at.Log(), at.Opening() + kNothingToUpdate);
             EXPECT_EQ(ReadIniString(at.ConfigFile(), L"NeedUpdate"), L"");
             EXPECT_FALSE(Exists(at.install / L"zvBackup"));
             EXPECT_TRUE(at.window.ControlEnabled(kCheckUpdateId));
             EXPECT_TRUE(at.window.ControlEnabled(kLaunchId));
             EXPECT_EQ(Targets(at.server), (std::vector<std::string>{kPagePath, kPagePath}));
             EXPECT_TRUE(ReadFileBytes(at.ConfigFile()) == at.configBefore) << "the configuration file was written";
         }},
        {"404 for the second file",
         [](Installation& at) {
             at.server.SetReply(kPagePath,
                                ScriptedReply::Ok(Page("zvHelix.exe=20210625\r\ndoRozavovu.exe=20210625\r\n")));
             at.ServeNewBuild("zvHelix.exe");  // doRozavovu.exe is not on the site
         },
         [](Installation& at) {
             ASSERT_TRUE(at.RunUntilLogEndsWith(L"文件下载失败，HTTP状态码：404\r\n\r\n")) << at.Log().c_str();
         },
         [](Installation& at) {
             const std::wstring helix = at.Installed(L"zvHelix.exe");
             const std::wstring doRozavovu = at.Installed(L"doRozavovu\\doRozavovu.exe");
             EXPECT_EQ(at.Log(), at.Opening() + L"共2个文件待更新...\r\n" + L"正在备份" + helix + L"文件\r\n" +
                                     L"正在更新" + helix + L"文件\r\n\r\n" + L"正在备份" + doRozavovu + L"文件\r\n" +
                                     L"文件下载失败，HTTP状态码：404\r\n\r\n");
             EXPECT_TRUE(ReadFileBytes(helix) == ReadFileBytes(at.site / L"zvHelix.exe")) << "the first stays installed";
             EXPECT_FALSE(Exists(at.Downloaded(L"doRozavovu\\doRozavovu.exe")));
         }},
        {"site unreachable during the run",
         [](Installation& at) { at.server.SetReply(kPagePath, ScriptedReply::Ok(Page("zvHelix.exe=20210625\r\n"))); },
         [](Installation& at) {
             at.server.Stop();
             ASSERT_TRUE(at.RunUntilLogEndsWith(L"进行手动更新\r\n\r\n")) << at.Log().c_str();
         },
         [](Installation& at) {
             EXPECT_EQ(at.Log(), at.Opening() + L"无法连接到Zorvik网站，请从浏览器打开" + at.Host() + L"进行手动更新\r\n\r\n");
         }},
        {"a body cut short",
         [](Installation& at) {
             at.server.SetReply(kPagePath, ScriptedReply::Ok(Page("zvHelix.exe=20210625\r\n")));
             ScriptedReply cut = ScriptedReply::Pattern(3'000'000);
             cut.sendOnly = 1'500'000;
             at.server.SetReply("/update/zvHelix.exe", cut);
         },
         [](Installation& at) { ASSERT_TRUE(at.RunUntilLogEndsWith(L"文件下载不完整：" + at.server.Url("/update/zvHelix.exe") + L"\r\n\r\n")) << at.Log().c_str(); },
         [](Installation& at) {
             const std::wstring helix = at.Installed(L"zvHelix.exe");
             EXPECT_EQ(at.Log(), at.Opening() + L"共1个文件待更新...\r\n" + L"正在备份" + helix + L"文件\r\n" +
                                     L"文件下载不完整：" + at.server.Url("/update/zvHelix.exe") + L"\r\n\r\n");
             EXPECT_TRUE(ReadFileBytes(helix) == ReadFileBytes(at.Backup(L"zvHelix.exe_20210624")))
                 << "the installed file was changed";
             EXPECT_EQ(FolderEntries(at.install / L"zvTemp"), std::vector<std::wstring>{L"Zorvik版本.ini"})
                 << "nothing of the cut body is left";
         }},
        {"an installed file that is missing",
         [](Installation& at) {
             ASSERT_TRUE(DeleteFileW(at.Installed(L"zvHelix64.exe").c_str()));  // marked: no version to read
             at.server.SetReply(kPagePath, ScriptedReply::Ok(Page()));
             at.ServeNewBuild("zvHelix64.exe");
         },
         [](Installation& at) { ASSERT_TRUE(at.RunUntilLogEndsWith(kAllDone)) << at.Log().c_str(); },
         [](Installation& at) {
             const std::wstring helix64 = at.Installed(L"zvHelix64.exe");
             EXPECT_EQ(at.Log(), at.Opening() + L"共1个文件待更新...\r\n" + L"因" + helix64 +
                                     L"文件未找到，不进行备份\r\n" + L"正在更新" + helix64 + L"文件\r\n\r\n" + kAllDone);
             EXPECT_FALSE(Exists(at.install / L"zvBackup"));
             EXPECT_TRUE(ReadFileBytes(helix64) == ReadFileBytes(at.site / L"zvHelix64.exe"));
             EXPECT_EQ(ReadIniString(at.ConfigFile(), L"NeedUpdate"), L"0");
         }},
        {"a second run after a finished one",
         [](Installation& at) {
             at.server.SetReply(kPagePath, ScriptedReply::Ok(Page("zvHelix.exe=20210625\r\n")));
             at.ServeNewBuild("zvHelix.exe");
         },
         [](Installation& at) {
             ASSERT_TRUE(at.RunUntilLogEndsWith(kAllDone)) << at.Log().c_str();
             ASSERT_TRUE(at.window.WaitForControlEnabled(kCheckUpdateId, true, kRunTimeoutMs));
             ASSERT_TRUE(at.RunUntilLogEndsWith(kNothingToUpdate)) << at.Log().c_str();
         },
         [](Installation& at) {
             EXPECT_EQ(at.Log(), at.Opening() + kNothingToUpdate);
             EXPECT_EQ(Targets(at.server),
                       (std::vector<std::string>{kPagePath, kPagePath, "/update/zvHelix.exe", kPagePath}));
             EXPECT_TRUE(at.window.ControlEnabled(kCheckUpdateId));
         }},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Installation at;
        c.prepare(at);
        if (::testing::Test::HasFatalFailure()) return;
        at.configBefore = ReadFileBytes(at.ConfigFile());
        ASSERT_TRUE(at.Open());
        c.act(at);
        if (::testing::Test::HasFatalFailure()) return;
        Sleep(kStoppedWatchMs / 3);
        c.check(at);

        // A run that ended early stays stopped: the two buttons disabled, Exit enabled, no
        // "all done" and no NeedUpdate; the log does not grow.
        const std::wstring log = at.Log();
        const bool finished = log.ends_with(kAllDone) || log.ends_with(kNothingToUpdate);
        if (!finished) {
            Sleep(kStoppedWatchMs);
            EXPECT_EQ(at.Log(), log);
            EXPECT_FALSE(at.window.ControlEnabled(kCheckUpdateId));
            EXPECT_FALSE(at.window.ControlEnabled(kLaunchId));
            EXPECT_TRUE(at.window.ControlEnabled(IDCANCEL));
            EXPECT_EQ(ReadIniString(at.ConfigFile(), L"NeedUpdate"), L"");
        }

        ASSERT_TRUE(at.window.PostClick(IDCANCEL));  // "退出"
        const ProgramEnding ending = at.launcher->WaitForEnd(kLauncherEndMs);
        EXPECT_TRUE(ending.ended);
        EXPECT_EQ(ending.exitCode, 0u);
    }
}

// Closing the window while a large file trickles in: the download is cancelled, the
// process ends within the bound, and nothing is installed.
TEST(InternetRunTest, ClosingDuringASlowDownloadEndsQuicklyAndInstallsNothing) {
    Installation at;
    at.server.SetReply(kPagePath, ScriptedReply::Ok(Page("zvHelix.exe=20210625\r\n")));
    ScriptedReply slow = ScriptedReply::Pattern(100ull << 20);  // 100 MiB at 640 KiB/s
    slow.trickleBytes = 64 * 1024;
    slow.trickleMs = 100;
    at.server.SetReply("/update/zvHelix.exe", slow);
    const std::string oldHelix = ReadFileBytes(at.Installed(L"zvHelix.exe"));

    ASSERT_TRUE(at.Open());
    ASSERT_TRUE(at.window.PostClick(kCheckUpdateId));
    ASSERT_TRUE(WaitUntil([&] { return at.server.Requests().size() >= 3; }, kRunTimeoutMs));
    Sleep(1000);  // the download is under way
    EXPECT_FALSE(at.window.ControlEnabled(kCheckUpdateId));

    const ULONGLONG closed = GetTickCount64();
    ASSERT_TRUE(at.window.PostClick(IDCANCEL));
    const ProgramEnding ending = at.launcher->WaitForEnd(kLauncherEndMs);
    const ULONGLONG took = GetTickCount64() - closed;
    std::printf("close during the download: the process ended %llu ms after the close\n", took);
    ASSERT_TRUE(ending.ended);
    EXPECT_EQ(ending.exitCode, 0u) << "no clean end";
    EXPECT_LT(took, kCloseToExitBoundMs);

    Sleep(500);
    EXPECT_TRUE(ReadFileBytes(at.Installed(L"zvHelix.exe")) == oldHelix) << "something was installed after the close";
    EXPECT_EQ(FolderEntries(at.install / L"zvTemp"), std::vector<std::wstring>{L"Zorvik版本.ini"})
        << "a partial download was left";
    EXPECT_EQ(ReadIniString(at.ConfigFile(), L"NeedUpdate"), L"");
}

}  // namespace
