// The real ruVazoro.exe on the LAN road: a configuration file that names a LAN list on a
// share folder, the start-up check against it, the update window and its LAN update run,
// driven from outside as a user would drive it. Install and share folders have paths with
// blanks and Chinese characters.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ConfigFile.h"
#include "framework/UniqueHandle.h"
#include "support/FolderEntries.h"
#include "support/FrozenThread.h"
#include "support/InstallFolder.h"
#include "support/PeFixture.h"
#include "support/ProgramDriver.h"
#include "support/ReadFileBytes.h"
#include "support/ScreenCapture.h"
#include "support/StubRecord.h"
#include "support/TempDir.h"
#include "support/TestProgramFolder.h"
#include "support/WaitUntil.h"
#include "support/WindowDriver.h"
#include "support/WriteFileBytes.h"
#include "support/WriteUtf16Ini.h"

namespace {

// Bounds, generous for a loaded two-core machine running Wine.
constexpr DWORD kWindowMs = 20000;       // the update window appears
constexpr DWORD kEndMs = 20000;          // the launcher ends once it has nothing more to do
constexpr DWORD kStubMs = 10000;         // the start program leaves its record
constexpr DWORD kRunMs = 90000;          // a LAN run with the large file completes
constexpr DWORD kSettleMs = 3000;        // a repaint or an enabled state shows
constexpr DWORD kNoStartWaitMs = 1000;   // how long a start program that must not start is given
constexpr DWORD kIdleBeforeRunMs = 300;  // the window idles before a run that is watched on screen

constexpr int kExit = IDCANCEL;
constexpr int kCheckUpdate = 1000;
constexpr int kLog = 1001;
constexpr int kLaunch = 1003;
constexpr int kBanner = 1004;
constexpr WPARAM kAboutCommand = 0x10;
constexpr wchar_t kAboutCaption[] = L"关于 Zorvik启动器";

constexpr wchar_t kNewVersionLine[] = L"发现新版本，请更新！";
constexpr wchar_t kAllDone[] = L"所有操作已完成！\r\n";
constexpr wchar_t kLauncherDeferred[] = L"ruVazoro.exe将在点击[启动程序]按钮后更新\r\n\r\n";

constexpr COLORREF kBackground = RGB(36, 36, 36);
constexpr COLORREF kLogText = RGB(177, 177, 177);
constexpr COLORREF kTeal = RGB(39, 149, 149);
constexpr COLORREF kCyan = RGB(38, 236, 235);
constexpr COLORREF kGreyed = RGB(100, 100, 100);
constexpr int kCaptionPixels = 20;  // a caption in a colour paints at least this many pixels of it

// The share's new helper program is large, so that its copy lasts long enough to be watched.
constexpr unsigned long long kLargeFileBytes = 256ull << 20;

// The installed files of a folder with their bytes, by path relative to the folder.
using FolderSnapshot = std::map<std::wstring, std::string>;

void AddToSnapshot(const std::wstring& root, const std::wstring& relative, FolderSnapshot& snapshot) {
    for (const std::wstring& name : FolderEntries(root + relative)) {
        const std::wstring path = relative + name;
        if (GetFileAttributesW((root + path).c_str()) & FILE_ATTRIBUTE_DIRECTORY)
            AddToSnapshot(root, path + L"\\", snapshot);
        else
            snapshot[path] = ReadFileBytes(root + path);
    }
}

FolderSnapshot Snapshot(const std::wstring& folder) {
    FolderSnapshot snapshot;
    AddToSnapshot(folder, L"", snapshot);
    return snapshot;
}

unsigned long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Appends `bytes` bytes of a pattern to a file, in chunks.
bool AppendPattern(const std::wstring& path, unsigned long long bytes) {
    FileHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file) return false;
    std::string chunk(1 << 20, '\0');
    for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<char>('A' + i % 23);
    for (unsigned long long done = 0; done < bytes; done += chunk.size()) {
        DWORD written = 0;
        if (!WriteFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &written, nullptr) ||
            written != chunk.size())
            return false;
    }
    return true;
}

// Whether two files hold the same bytes, read in chunks (the large file is not held whole).
bool SameBytes(const std::wstring& a, const std::wstring& b) {
    auto open = [](const std::wstring& path) {
        return FileHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    };
    FileHandle fa = open(a), fb = open(b);
    if (!fa || !fb) return false;
    std::vector<char> ba(1 << 20), bb(1 << 20);
    for (;;) {
        DWORD ga = 0, gb = 0;
        if (!ReadFile(fa.get(), ba.data(), static_cast<DWORD>(ba.size()), &ga, nullptr) ||
            !ReadFile(fb.get(), bb.data(), static_cast<DWORD>(bb.size()), &gb, nullptr) || ga != gb)
            return false;
        if (ga == 0) return true;
        if (memcmp(ba.data(), bb.data(), ga) != 0) return false;
    }
}

int Area(const RECT& r) { return (r.right - r.left) * (r.bottom - r.top); }

// Screen y of the lowest row of area that shows this colour; -1 when none does.
int LowestRowIn(const ScreenCapture& shot, COLORREF colour, const RECT& area) {
    for (LONG y = area.bottom - 1; y >= area.top; --y)
        if (shot.CountInScreenArea(colour, RECT{area.left, y, area.right, y + 1}) > 0) return y;
    return -1;
}

// Saves what the screen shows of a window under the build tree's screenshots folder.
void SaveShot(HWND window, const wchar_t* name) {
    const std::wstring path = ScreenshotFolder() + name;
    EXPECT_TRUE(ScreenCapture::OfWindow(window).SaveBmp(path)) << "cannot save a screenshot";
}

// Waits until two captures of the window, a little apart, are the same: its paint is done.
bool WaitForSteadyPicture(HWND window, DWORD timeoutMs) {
    std::vector<COLORREF> last;
    return WaitUntil(
        [&] {
            const ScreenCapture shot = ScreenCapture::OfWindow(window);
            std::vector<COLORREF> now;
            for (int y = 0; y < shot.Height(); ++y)
                for (int x = 0; x < shot.Width(); ++x) now.push_back(shot.At(x, y));
            const bool steady = !now.empty() && now == last;
            last = std::move(now);
            return steady;
        },
        timeoutMs, 100);
}

// A button shows its caption in this colour.
bool CaptionIn(const WindowDriver& window, int id, COLORREF colour) {
    return ScreenCapture::OfWindow(window.Control(id)).Count(colour) >= kCaptionPixels;
}

bool WaitForCaption(const WindowDriver& window, int id, COLORREF colour, DWORD timeoutMs) {
    return WaitUntil([&] { return CaptionIn(window, id, colour); }, timeoutMs, 10);
}

class LanRoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE((launcher_ = InstallLauncher(install_.Path())).empty());
        ASSERT_TRUE(WriteUtf16Ini(ConfigFile(), L"[Zorvik]\r\nLanUpdateConfigFile=" + LanList() + L"\r\n"));
    }
    void TearDown() override {
        if (!stub_.empty()) RemoveProgramWhenEnded(stub_, kStubMs);
    }

    std::wstring ConfigFile() const { return install_ / L"Zorvik配置.ini"; }
    std::wstring LanList() const { return share_ / L"lan.ini"; }
    std::wstring ConnectText() const { return L"连接到共享文件夹:\r\n" + share_.Path() + L" \r\n\r\n"; }

    void InstallStub() { ASSERT_FALSE((stub_ = InstallStubStartProgram(install_.Path(), L"reDoriVeza64.exe")).empty()); }
    // A LAN list of format version `version` with these "File%d" values, n = 1, 2, ...
    static std::wstring ListText(const std::wstring& version, const std::vector<std::wstring>& files) {
        std::wstring text = L"[Zorvik]\r\nVersion=" + version + L"\r\n";
        for (size_t i = 0; i < files.size(); ++i) text += L"File" + std::to_wstring(i + 1) + L"=" + files[i] + L"\r\n";
        return text;
    }
    void WriteLanList(const std::vector<std::wstring>& files) {
        ASSERT_TRUE(WriteUtf16Ini(LanList(), ListText(L"20210624", files)));
    }
    // zvHelix.exe installed at 1.0.1.2624 (20210624).
    void InstallHelix() { ASSERT_TRUE(MakeVersionedPe(install_ / L"zvHelix.exe", 1, 0, 1, 2624)); }

    // Starts the launcher from a current folder of its own.
    std::unique_ptr<ProgramDriver> Start() {
        auto launcher = std::make_unique<ProgramDriver>(launcher_, elsewhere_.Path());
        EXPECT_TRUE(launcher->Started());
        return launcher;
    }
    WindowDriver WaitForWindow(const ProgramDriver& launcher) {
        return WindowDriver(WaitForUpdateWindow(launcher.ProcessId(), kWindowMs));
    }

    struct Ending {
        bool ended = false;
        DWORD exitCode = 0;
        bool windowSeen = false;  // an update window appeared on the way
    };
    static Ending WatchUntilEnd(const ProgramDriver& launcher, DWORD timeoutMs) {
        Ending ending;
        ending.ended = WaitUntil(
            [&] {
                if (FindUpdateWindow(launcher.ProcessId())) ending.windowSeen = true;
                return launcher.WaitForEnd(0).ended;
            },
            timeoutMs, 5);
        ending.exitCode = launcher.WaitForEnd(0).exitCode;
        return ending;
    }

    TempDir install_{L"Zorvik 安装"};
    TempDir share_{L"共享 文件夹"};
    TempDir elsewhere_{L"elsewhere"};
    std::wstring launcher_;
    std::wstring stub_;
};

TEST_F(LanRoadTest, NothingOlderOnTheShareStartsTheStartProgramWithoutAWindow) {
    InstallStub();
    InstallHelix();
    WriteLanList({L"zvHelix.exe,20210624", L"ruVazoro.exe,20211130"});

    auto launcher = Start();
    const Ending ending = WatchUntilEnd(*launcher, kEndMs);
    ASSERT_TRUE(ending.ended) << "ruVazoro.exe still runs after " << kEndMs << " ms";
    EXPECT_EQ(ending.exitCode, 0u);
    EXPECT_FALSE(ending.windowSeen);
    std::optional<StubRecord> record = WaitForStubRecord(install_.Path(), kStubMs);
    ASSERT_TRUE(record) << "reDoriVeza64.exe was not started";
    EXPECT_EQ(record->commandLine, L"\"" + install_.Path() + L"reDoriVeza64.exe\" Zorvik");
    EXPECT_EQ(ReadIniString(ConfigFile(), L"LaunchUpdate"), L"");
}

// The whole road: the window opens, one run copies the older file and leaves the new
// launcher in zvTemp, a second run finds nothing left, and "启动程序" starts the workstation.
// On the way the window's colours are read from the screen and screenshots are saved.
TEST_F(LanRoadTest, UpdateRunCopiesTheOlderFilesAndLaunches) {
    InstallStub();
    InstallHelix();
    ASSERT_TRUE(WriteUtf16Ini(install_ / L"zvLens.ini", L"[Zorvik]\r\nLanUpdateVersion=20210624\r\n"));
    // The share: a newer zvHelix.exe made large, a newer launcher, and a zvLens.ini that is not newer.
    ASSERT_TRUE(MakeVersionedPe(share_ / L"zvHelix.exe", 1, 0, 1, 3001));
    ASSERT_TRUE(AppendPattern(share_ / L"zvHelix.exe", kLargeFileBytes));
    ASSERT_TRUE(MakeVersionedPe(share_ / L"ruVazoro.exe", 1, 0, 2, 2315));
    ASSERT_TRUE(WriteUtf16Ini(share_ / L"zvLens.ini", L"[Zorvik]\r\nLanUpdateVersion=20220101\r\n"));
    WriteLanList({L"zvHelix.exe,20211001", L"zvLens.ini,20210624", L"ruVazoro.exe,20220315"});
    const std::string installedLauncher = ReadFileBytes(launcher_);
    const std::string installedLens = ReadFileBytes(install_ / L"zvLens.ini");

    auto launcher = Start();
    WindowDriver window = WaitForWindow(*launcher);
    ASSERT_TRUE(window.Exists()) << "the update window did not open";
    EXPECT_EQ(window.ControlText(kLog), kNewVersionLine);
    EXPECT_EQ(ReadIniString(ConfigFile(), L"LaunchUpdate"), L"1");
    for (int id : {kCheckUpdate, kLaunch, kExit}) EXPECT_TRUE(window.ControlEnabled(id)) << id;

    // Idle: dark background, grey log text, the banner on top, teal captions; cyan under the pointer.
    // Under load the first paint reaches the screen in pieces, so the checks wait for all of it.
    const RECT logArea = window.ControlScreenRect(kLog);
    RECT banner = window.ControlScreenRect(kBanner);
    banner.right = std::min(banner.right, window.ScreenRect().right);
    ASSERT_GT(Area(banner), 0);
    WindowDriver::MovePointerAway();
    const bool painted = WaitUntil(
        [&] {
            const ScreenCapture shot = ScreenCapture::OfWindow(window.Handle());
            return shot.CountInScreenArea(kBackground, banner) < Area(banner) / 20 &&
                   shot.CountInScreenArea(kLogText, logArea) >= kCaptionPixels && CaptionIn(window, kCheckUpdate, kTeal) &&
                   CaptionIn(window, kLaunch, kTeal) && CaptionIn(window, kExit, kTeal);
        },
        kSettleMs * 2, 20);
    EXPECT_TRUE(painted) << "the window never showed its banner, its log text and three teal captions";
    int firstLineBottom = -1;
    {
        const ScreenCapture idle = ScreenCapture::OfWindow(window.Handle());
        const RECT launch = window.ControlScreenRect(kLaunch);
        const RECT exit = window.ControlScreenRect(kExit);
        const RECT between{launch.left + 2, launch.bottom + 4, launch.right - 2, exit.top - 4};
        EXPECT_EQ(idle.CountInScreenArea(kBackground, between), Area(between)) << "dialog background";
        EXPECT_GE(idle.CountInScreenArea(kLogText, logArea), kCaptionPixels) << "log text";
        EXPECT_GE(idle.CountInScreenArea(kBackground, logArea), Area(logArea) * 9 / 10) << "log background";
        firstLineBottom = LowestRowIn(idle, kLogText, logArea);
        EXPECT_GT(firstLineBottom, logArea.top);
        EXPECT_LT(idle.CountInScreenArea(kBackground, banner), Area(banner) / 20) << "banner";
        const RECT whole = window.ScreenRect();
        EXPECT_EQ(banner.top, whole.top) << "the banner lies at the top";
        EXPECT_GE(banner.right - banner.left, (whole.right - whole.left) * 9 / 10) << "the banner runs across the top";
        for (int id : {kCheckUpdate, kLaunch, kExit}) {
            EXPECT_TRUE(CaptionIn(window, id, kTeal)) << id;
            EXPECT_FALSE(CaptionIn(window, id, kCyan)) << id;
        }
    }
    SaveShot(window.Handle(), L"lan-idle.bmp");
    ASSERT_TRUE(window.MovePointerOver(kCheckUpdate));
    EXPECT_TRUE(WaitForCaption(window, kCheckUpdate, kCyan, kSettleMs)) << "no cyan caption under the pointer";
    EXPECT_FALSE(CaptionIn(window, kCheckUpdate, kTeal));
    EXPECT_TRUE(CaptionIn(window, kLaunch, kTeal));
    SaveShot(window.Handle(), L"lan-hover.bmp");
    WindowDriver::MovePointerAway();
    EXPECT_TRUE(WaitForCaption(window, kCheckUpdate, kTeal, kSettleMs)) << "the caption stayed cyan";

    // The run holds the window's thread while it copies. It is posted, so that it can be
    // watched, and its thread is frozen at a moment when both run buttons are disabled and
    // zvHelix.exe is not replaced yet, so that the looks are read during the run and do not
    // race the copy. Wine brings a thread's paints to the screen at once only when the thread
    // has been idle for a while before them, so the window is left idle first.
    Sleep(kIdleBeforeRunMs);
    const unsigned long long oldHelixSize = FileSize(install_ / L"zvHelix.exe");
    const auto runLookShows = [&] {
        return CaptionIn(window, kCheckUpdate, kGreyed) && CaptionIn(window, kLaunch, kGreyed) &&
               // the connection text has a second line, the opening line had none
               LowestRowIn(ScreenCapture::OfWindow(window.Handle()), kLogText, logArea) > firstLineBottom + 2;
    };
    const ULONGLONG clicked = GetTickCount64();
    ASSERT_TRUE(window.PostClick(kCheckUpdate));
    bool sawDisabled = false;
    bool watched = false;
    ULONGLONG disabled = 0;
    while (!watched && GetTickCount64() - clicked < kRunMs) {
        const bool checkOff = !window.ControlEnabled(kCheckUpdate);
        if (checkOff && !sawDisabled) disabled = GetTickCount64();
        if (!checkOff && sawDisabled) break;  // the run is over
        sawDisabled = sawDisabled || checkOff;
        if (checkOff && !window.ControlEnabled(kLaunch)) {
            FrozenThread frozen(window.ThreadId());
            ASSERT_TRUE(frozen.Frozen()) << "cannot hold the window's thread";
            if (FileSize(install_ / L"zvHelix.exe") == oldHelixSize && runLookShows()) {
                watched = true;
                EXPECT_FALSE(window.ControlEnabled(kCheckUpdate));
                EXPECT_FALSE(window.ControlEnabled(kLaunch));
                EXPECT_TRUE(window.ControlEnabled(kExit)) << "退出 is disabled during the run";
                SaveShot(window.Handle(), L"lan-running.bmp");
            }
        }
        Sleep(1);
    }
    ASSERT_TRUE(sawDisabled) << "检查更新 was not disabled";
    ASSERT_TRUE(watched) << "the run never showed grey captions and its own log text while it copied";

    ASSERT_TRUE(window.WaitForControlTextEnding(kLog, kAllDone, kRunMs)) << "the run did not end";
    const ULONGLONG done = GetTickCount64();
    std::printf("run: disabled after %llu ms, done after %llu ms\n", disabled - clicked, done - clicked);
    EXPECT_EQ(window.ControlText(kLog),
              ConnectText() + L"正在更新: zvHelix.exe文件\r\n\r\n" + kLauncherDeferred + kAllDone);
    EXPECT_TRUE(window.WaitForControlEnabled(kCheckUpdate, true, kSettleMs));
    EXPECT_TRUE(window.WaitForControlEnabled(kLaunch, true, kSettleMs));
    EXPECT_TRUE(WaitForCaption(window, kCheckUpdate, kTeal, kSettleMs)) << "the captions stayed grey";
    WaitForSteadyPicture(window.Handle(), kSettleMs);
    SaveShot(window.Handle(), L"lan-done.bmp");

    EXPECT_TRUE(SameBytes(install_ / L"zvHelix.exe", share_ / L"zvHelix.exe")) << "zvHelix.exe was not replaced";
    EXPECT_TRUE(SameBytes(install_ / L"zvTemp\\ruVazoro.exe", share_ / L"ruVazoro.exe")) << "no new launcher in zvTemp";
    EXPECT_EQ(ReadFileBytes(launcher_), installedLauncher) << "the running launcher was changed";
    EXPECT_EQ(ReadFileBytes(install_ / L"zvLens.ini"), installedLens) << "a file that is not older was copied";
    for (const std::wstring& name : FolderEntries(install_.Path()))
        EXPECT_EQ(name.find(L".zvpart"), std::wstring::npos) << "left behind: " << testing::PrintToString(name);

    // Every mark is cleared: a second run copies nothing.
    ASSERT_TRUE(window.Click(kCheckUpdate, kRunMs));
    EXPECT_EQ(window.ControlText(kLog), ConnectText() + kAllDone);
    EXPECT_TRUE(window.ControlEnabled(kCheckUpdate));
    EXPECT_TRUE(window.ControlEnabled(kLaunch));

    ASSERT_TRUE(window.PostClick(kLaunch));
    std::optional<StubRecord> record = WaitForStubRecord(install_.Path(), kStubMs);
    ASSERT_TRUE(record) << "reDoriVeza64.exe was not started";
    EXPECT_EQ(record->commandLine, L"\"" + install_.Path() + L"reDoriVeza64.exe\" Zorvik");
    EXPECT_TRUE(window.WaitUntilGone(kEndMs)) << "the window stayed open";
    const ProgramEnding ending = launcher->WaitForEnd(kEndMs);
    ASSERT_TRUE(ending.ended) << "ruVazoro.exe still runs";
    EXPECT_EQ(ending.exitCode, 0u);
    EXPECT_EQ(ReadFileBytes(launcher_), installedLauncher);
}

// "退出" and Escape close the window and end the program; nothing is started.
TEST_F(LanRoadTest, ExitAndEscapeEndWithoutStarting) {
    struct Case {
        const char* name;
        bool (*close)(const WindowDriver& window);
    };
    const Case cases[] = {
        {"退出", [](const WindowDriver& w) { return w.PostClick(kExit); }},
        {"Escape", [](const WindowDriver& w) { return w.PressEscape(); }},
    };
    InstallStub();
    InstallHelix();
    WriteLanList({L"zvHelix.exe,20211001"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto launcher = Start();
        WindowDriver window = WaitForWindow(*launcher);
        ASSERT_TRUE(window.Exists()) << "the update window did not open";
        EXPECT_EQ(window.ControlText(kLog), kNewVersionLine);
        ASSERT_TRUE(c.close(window));
        EXPECT_TRUE(window.WaitUntilGone(kEndMs)) << "the window stayed open";
        const ProgramEnding ending = launcher->WaitForEnd(kEndMs);
        ASSERT_TRUE(ending.ended) << "ruVazoro.exe still runs";
        EXPECT_EQ(ending.exitCode, 0u);
        Sleep(kNoStartWaitMs);
        EXPECT_FALSE(ReadStubRecord(install_.Path())) << "the start program was started";
    }
}

// With nothing older but the start program missing, the window opens all the same, and
// "启动程序" still closes it.
TEST_F(LanRoadTest, MissingStartProgramOpensTheWindow) {
    InstallHelix();
    WriteLanList({L"zvHelix.exe,20210624"});

    auto launcher = Start();
    WindowDriver window = WaitForWindow(*launcher);
    ASSERT_TRUE(window.Exists()) << "the update window did not open";
    EXPECT_EQ(window.ControlText(kLog), kNewVersionLine);
    ASSERT_TRUE(window.PostClick(kLaunch));
    EXPECT_TRUE(window.WaitUntilGone(kEndMs)) << "the window stayed open";
    const ProgramEnding ending = launcher->WaitForEnd(kEndMs);
    ASSERT_TRUE(ending.ended) << "ruVazoro.exe still runs";
    EXPECT_EQ(ending.exitCode, 0u);
}

// The About entry of the system menu opens the About box modally over the update window;
// closing it, by Escape or by its button, returns to the window as it was.
TEST_F(LanRoadTest, AboutBoxIsModalAndLeavesTheWindowUnchanged) {
    struct Case {
        const char* name;
        bool (*close)(const WindowDriver& about);
    };
    const Case cases[] = {
        {"Escape", [](const WindowDriver& about) { return about.PressEscape(); }},
        {"确定", [](const WindowDriver& about) { return about.PostClick(IDOK); }},
    };
    InstallStub();
    InstallHelix();
    WriteLanList({L"zvHelix.exe,20211001"});
    auto launcher = Start();
    WindowDriver window = WaitForWindow(*launcher);
    ASSERT_TRUE(window.Exists()) << "the update window did not open";
    const std::wstring log = window.ControlText(kLog);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(window.PostSysCommand(kAboutCommand));
        WindowDriver about(WaitForWindowWithCaption(launcher->ProcessId(), kAboutCaption, window.Handle(), kWindowMs));
        ASSERT_TRUE(about.Exists()) << "the About box did not open";
        EXPECT_EQ(about.Owner(), window.Handle());
        EXPECT_FALSE(window.Enabled()) << "the update window takes input while the About box is open";
        EXPECT_TRUE(about.Answers());
        if (&c == &cases[0]) {
            EXPECT_TRUE(WaitForSteadyPicture(about.Handle(), kSettleMs));
            SaveShot(about.Handle(), L"lan-about.bmp");
        }
        ASSERT_TRUE(c.close(about));
        EXPECT_TRUE(about.WaitUntilGone(kEndMs)) << "the About box stayed open";
        EXPECT_TRUE(WaitUntil([&] { return window.Enabled(); }, kSettleMs)) << "the update window stayed disabled";
        EXPECT_TRUE(window.Visible());
        EXPECT_EQ(window.ControlText(kLog), log);
        for (int id : {kCheckUpdate, kLaunch, kExit}) EXPECT_TRUE(window.ControlEnabled(id)) << id;
    }
    EXPECT_FALSE(launcher->WaitForEnd(0).ended) << "closing the About box ended the program";
    ASSERT_TRUE(window.PostClick(kExit));
    EXPECT_TRUE(launcher->WaitForEnd(kEndMs).ended);
    Sleep(kNoStartWaitMs);
    EXPECT_FALSE(ReadStubRecord(install_.Path()));
}

// LAN inputs that are wrong in a way the user sees: the start program starts as if nothing
// needed updating, or, where an earlier copy of the list still names an older file, the
// window opens. Nothing crashes, and no installed file changes.
TEST_F(LanRoadTest, BadLanInputs) {
    struct Case {
        const char* name;
        bool writeList;               // false: the list is missing on the share
        std::wstring listText;        // what the share's list holds (empty: an empty file)
        std::wstring earlierCopyText; // a copy of the list left in zvTemp by an earlier run (empty: none)
        bool window;                  // the update window opens (else the start program starts)
    };
    const std::wstring olderHelix = ListText(L"20210624", {L"zvHelix.exe,20211001"});
    const Case cases[] = {
        {"missing list", false, L"", L"", false},
        {"wrong Version", true, ListText(L"20210623", {L"zvHelix.exe,20211001"}), L"", false},
        {"empty list, no earlier copy", true, L"", L"", false},
        {"empty list, earlier copy names an older file", true, L"", olderHelix, true},
    };
    InstallHelix();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstallStub();
        RemoveTree(install_ / L"zvTemp");
        DeleteFileW(LanList().c_str());
        if (c.writeList) {
            const bool written = c.listText.empty() ? WriteFileBytes(LanList(), "") : WriteUtf16Ini(LanList(), c.listText);
            ASSERT_TRUE(written);
        }
        if (!c.earlierCopyText.empty()) {
            ASSERT_TRUE(WriteUtf16Ini(install_ / L"zvTemp\\lan.ini", c.earlierCopyText));
        }
        const FolderSnapshot before = Snapshot(install_.Path());

        auto launcher = Start();
        if (c.window) {
            WindowDriver window = WaitForWindow(*launcher);
            ASSERT_TRUE(window.Exists()) << "the update window did not open";
            EXPECT_EQ(window.ControlText(kLog), kNewVersionLine);
            ASSERT_TRUE(window.PostClick(kExit));
            const ProgramEnding ending = launcher->WaitForEnd(kEndMs);
            ASSERT_TRUE(ending.ended) << "ruVazoro.exe still runs";
            EXPECT_EQ(ending.exitCode, 0u);
            Sleep(kNoStartWaitMs);
            EXPECT_FALSE(ReadStubRecord(install_.Path())) << "the start program was started";
        } else {
            const Ending ending = WatchUntilEnd(*launcher, kEndMs);
            ASSERT_TRUE(ending.ended) << "ruVazoro.exe still runs";
            EXPECT_EQ(ending.exitCode, 0u);
            EXPECT_FALSE(ending.windowSeen);
            EXPECT_TRUE(WaitForStubRecord(install_.Path(), kStubMs)) << "the start program was not started";
        }

        FolderSnapshot after = Snapshot(install_.Path());
        after.erase(kStubRecordName);
        FolderSnapshot expected = before;
        // The copy step copies a list that can be read; an empty one leaves an earlier copy as it was.
        if (c.writeList && !c.listText.empty()) expected[L"zvTemp\\lan.ini"] = ReadFileBytes(LanList());
        EXPECT_EQ(after.size(), expected.size());
        for (const auto& [path, bytes] : expected) {
            auto found = after.find(path);
            ASSERT_NE(found, after.end()) << "gone: " << testing::PrintToString(path);
            EXPECT_TRUE(found->second == bytes) << "changed: " << testing::PrintToString(path);
        }
        RemoveProgramWhenEnded(stub_, kStubMs);
        DeleteFileW((install_ / kStubRecordName).c_str());
        stub_.clear();
    }
}

}  // namespace
