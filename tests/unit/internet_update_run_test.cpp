#include <gtest/gtest.h>

#include <optional>

#include "app/ConfigFile.h"
#include "tests/support/FolderEntries.h"
#include "tests/support/PeFixture.h"
#include "tests/support/ReadFileBytes.h"
#include "tests/support/RecordingView.h"
#include "tests/support/TempDir.h"
#include "tests/support/WriteFileBytes.h"
#include "ui/Backup.h"
#include "ui/InternetUpdateRun.h"

namespace {

// Drives a run as the window does, standing in for the worker: each requested download is
// "served" by writing bytes into its destination and delivering its completion message.
class InternetUpdateRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        locations = Locations::At(install.Path(), L"ruVazoro.exe");
        list.LoadBuiltInFiles();
        ASSERT_TRUE(MakeVersionedPe(install / L"zvHelix.exe", 1, 0, 1, 2624));
        ASSERT_TRUE(MakeVersionedPe(install / L"doRozavovu\\doRozavovu.exe", 1, 0, 0, 1));
        ASSERT_TRUE(MakeVersionedPe(install / L"ruVazoro.exe", 1, 0, 1, 3130));
        run.emplace(&list, locations, site, view);
    }

    void MarkPending(const std::wstring& name) {
        for (int i = 0; i < list.Count(); ++i)
            if (list.At(i)->name == name) list.At(i)->result = 1;
    }

    // Serves the last requested download and delivers its completion message to the run.
    void Serve(const std::string& body) {
        ASSERT_FALSE(view.downloads.empty());
        const DownloadRequest request = view.downloads.back();
        ASSERT_TRUE(WriteFileBytes(request.file, body));
        EXPECT_TRUE(run->OnWndMsg(request.message));
    }

    std::wstring Opening() const {
        return L"开始检查是否有新版本...\r\n\r\n连接到Zorvik网站 " + site.host + L" \r\n\r\n";
    }

    TempDir install{L"zv install"};
    Locations locations;
    UpdateSite site{L"127.0.0.1:8123"};
    UpdateList list;
    RecordingView view;
    std::optional<InternetUpdateRun> run;
};

TEST_F(InternetUpdateRunTest, BacksUpDownloadsAndInstallsEachPendingFileInListOrder) {
    MarkPending(L"doRozavovu.exe");
    MarkPending(L"zvHelix.exe");

    run->CheckUpdateInternet();
    EXPECT_FALSE(view.buttonsEnabled);
    ASSERT_EQ(view.downloads.size(), 1u);
    EXPECT_EQ(view.downloads[0].url, L"http://127.0.0.1:8123/update/update.html");
    EXPECT_EQ(view.downloads[0].file, locations.GetVersionFilePath());
    EXPECT_EQ(view.downloads[0].message, WM_VERSIONFILE_DOWNLOADED);

    Serve("[Zorvik]\r\n");
    ASSERT_EQ(view.downloads.size(), 2u);
    EXPECT_EQ(view.downloads[1].url, L"http://127.0.0.1:8123/update/zvHelix.exe");
    EXPECT_EQ(view.downloads[1].file, locations.TempFolder() + L"zvHelix.exe");
    EXPECT_EQ(view.downloads[1].message, WM_UPDATEFILE_DOWNLOADED);
    EXPECT_EQ(ReadIniString(locations.GetConfigFilePath(), L"NeedUpdate"), L"") << "not before the end";

    Serve("new helix");
    ASSERT_EQ(view.downloads.size(), 3u);
    EXPECT_EQ(view.downloads[2].url, L"http://127.0.0.1:8123/update/doRozavovu.exe");
    EXPECT_EQ(view.downloads[2].file, locations.TempFolder() + L"doRozavovu\\doRozavovu.exe");
    Serve("new doRozavovu");

    const std::wstring helix = install / L"zvHelix.exe";
    const std::wstring doRozavovu = install / L"doRozavovu\\doRozavovu.exe";
    EXPECT_EQ(view.log, Opening() + L"共2个文件待更新...\r\n" + L"正在备份" + helix + L"文件\r\n" + L"正在更新" + helix +
                            L"文件\r\n\r\n" + L"正在备份" + doRozavovu + L"文件\r\n" + L"正在更新" + doRozavovu +
                            L"文件\r\n\r\n" + L"所有操作已完成！\r\n");
    EXPECT_EQ(ReadFileBytes(helix), "new helix");
    EXPECT_EQ(ReadFileBytes(doRozavovu), "new doRozavovu");
    EXPECT_EQ(FolderEntries(locations.BackupFolder()), (std::vector<std::wstring>{L"doRozavovu", L"zvHelix.exe_20210624"}));
    EXPECT_EQ(FolderEntries(locations.BackupFolder() + L"doRozavovu"),
              (std::vector<std::wstring>{L"doRozavovu.exe_20200101"}));
    EXPECT_EQ(ReadIniString(locations.GetConfigFilePath(), L"NeedUpdate"), L"0");
    EXPECT_TRUE(view.buttonsEnabled);
    EXPECT_EQ(list.FindPending(), nullptr);

    // A second run finds nothing pending and writes nothing.
    ASSERT_TRUE(DeleteFileW(locations.GetConfigFilePath().c_str()));
    run->CheckUpdateInternet();
    Serve("[Zorvik]\r\n");
    EXPECT_EQ(view.log, Opening() + L"所有软件无需更新...\r\n");
    EXPECT_EQ(view.downloads.size(), 4u);
    EXPECT_TRUE(view.buttonsEnabled);
    EXPECT_EQ(GetFileAttributesW(locations.GetConfigFilePath().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(InternetUpdateRunTest, TheLauncherOwnNewCopyStaysInTemp) {
    MarkPending(L"ruVazoro.exe");
    const std::string running = ReadFileBytes(install / L"ruVazoro.exe");

    run->CheckUpdateInternet();
    Serve("[Zorvik]\r\n");
    Serve("new launcher");

    EXPECT_EQ(ReadFileBytes(install / L"ruVazoro.exe"), running);
    EXPECT_EQ(ReadFileBytes(locations.TempFolder() + L"ruVazoro.exe"), "new launcher");
    EXPECT_NE(view.log.find(L"正在备份" + install.Path() + L"ruVazoro.exe文件\r\nruVazoro.exe将在点击[启动程序]按钮后更新\r\n\r\n所有操作已完成！\r\n"),
              std::wstring::npos)
        << view.log.c_str();
    EXPECT_EQ(ReadIniString(locations.GetConfigFilePath(), L"NeedUpdate"), L"0");
}

TEST_F(InternetUpdateRunTest, AMissingInstalledFileIsFetchedWithoutBackup) {
    MarkPending(L"zvHelix64.exe");
    run->CheckUpdateInternet();
    Serve("[Zorvik]\r\n");

    EXPECT_NE(view.log.find(L"因" + install.Path() + L"zvHelix64.exe文件未找到，不进行备份\r\n"), std::wstring::npos);
    EXPECT_EQ(GetFileAttributesW(locations.BackupFolder().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(view.downloads.back().url, L"http://127.0.0.1:8123/update/zvHelix64.exe");
}

TEST_F(InternetUpdateRunTest, OtherMessagesAreNotTheRunsAndAStrayCompletionDoesNothing) {
    EXPECT_FALSE(run->OnWndMsg(WM_USER + 101));
    EXPECT_TRUE(run->OnWndMsg(WM_UPDATEFILE_DOWNLOADED));  // nothing pending: ignored
    EXPECT_TRUE(view.downloads.empty());
    EXPECT_EQ(view.log, L"发现新版本，请更新！");
}

TEST(VersionStamp, PrintsHighAndLowWithFourDigits) {
    struct Case {
        int high, low;
        const wchar_t* stamp;
    };
    const Case cases[] = {
        {2021, 624, L"20210624"}, {2020, 101, L"20200101"}, {0, 0, L"00000"},
        {2021, -1, L"20210101"},  {2021, 10000, L"202110000"}, {2022, 5, L"20220005"},
    };
    for (const Case& c : cases) {
        FileVersion v;
        v.high = c.high;
        v.low = c.low;
        EXPECT_EQ(VersionStamp(v), c.stamp);
    }
}

TEST(BackupFile, ReplacesTheBackupOfTheSameVersionAndKeepsOthersBeside) {
    TempDir install(L"zv backup");
    Locations locations = Locations::At(install.Path());
    RecordingView view;
    ASSERT_TRUE(MakeVersionedPe(install / L"zvHelix.exe", 1, 0, 1, 2624));
    BackupFile(L"zvHelix.exe", locations, view);
    ASSERT_TRUE(MakeVersionedPe(install / L"zvHelix.exe", 7, 7, 1, 2624));  // same stamp
    BackupFile(L"zvHelix.exe", locations, view);
    ASSERT_TRUE(MakeVersionedPe(install / L"zvHelix.exe", 1, 0, 1, 2701));
    BackupFile(L"zvHelix.exe", locations, view);
    ASSERT_TRUE(WriteFileBytes(install / L"notes.txt", "no version"));
    BackupFile(L"notes.txt", locations, view);

    EXPECT_EQ(FolderEntries(locations.BackupFolder()),
              (std::vector<std::wstring>{L"notes.txt_00000", L"zvHelix.exe_20210624", L"zvHelix.exe_20210701"}));
    FileVersion second;
    ASSERT_EQ(QueryFileVersion(locations.BackupFolder() + L"zvHelix.exe_20210624", second), 0);
    EXPECT_EQ(second.major, 7) << "the later backup of the same stamp replaced the earlier";
}

}  // namespace
