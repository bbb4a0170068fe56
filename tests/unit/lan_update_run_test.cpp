#include <gtest/gtest.h>

#include "tests/support/ReadFileBytes.h"
#include "tests/support/RecordingView.h"
#include "tests/support/TempDir.h"
#include "tests/support/WriteFileBytes.h"
#include "ui/LanUpdateRun.h"

namespace {

class LanUpdateRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        locations = Locations::At(install.Path(), L"ruVazoro.exe");
        locations.lanConfigPath = share / L"lan.ini";
        ASSERT_TRUE(WriteFileBytes(install / L"zvHelix.exe", "old helix"));
        ASSERT_TRUE(WriteFileBytes(install / L"ruVazoro.exe", "running launcher"));
        ASSERT_TRUE(WriteFileBytes(share / L"zvHelix.exe", "new helix, longer than the old one"));
        ASSERT_TRUE(WriteFileBytes(share / L"ruVazoro.exe", "new launcher"));
        ASSERT_TRUE(WriteFileBytes(share / L"zvHelix64.exe", "new helix64"));
    }

    void Mark(const wchar_t* name, int result) {
        list.AddEntry(name, name, L"20990101", 0);
        list.At(list.Count() - 1)->result = result;
    }

    std::wstring ConnectText() const { return L"连接到共享文件夹:\r\n" + share.Path() + L" \r\n\r\n"; }

    TempDir install{L"zv install"};
    TempDir share{L"zv share"};
    Locations locations;
    UpdateList list;
    RecordingView view;
};

TEST_F(LanUpdateRunTest, CopiesEveryMarkedFileInListOrderAndLeavesTheLauncherInTemp) {
    Mark(L"zvHelix.exe", 1);
    Mark(L"zvHelix64.exe", 0);
    Mark(L"RUVAZORO.EXE", 1);

    CheckUpdateLan(&list, locations, view);

    EXPECT_EQ(view.log, ConnectText() + L"正在更新: zvHelix.exe文件\r\n\r\n" +
                            L"ruVazoro.exe将在点击[启动程序]按钮后更新\r\n\r\n" + L"所有操作已完成！\r\n");
    EXPECT_EQ(ReadFileBytes(install / L"zvHelix.exe"), "new helix, longer than the old one");
    EXPECT_EQ(ReadFileBytes(install / L"ruVazoro.exe"), "running launcher");
    EXPECT_EQ(ReadFileBytes(locations.TempFolder() + L"RUVAZORO.EXE"), "new launcher");
    EXPECT_EQ(ReadFileBytes(install / L"zvHelix64.exe"), "") << "unmarked files are not copied";
    EXPECT_EQ(list.FindPending(), nullptr);
    EXPECT_TRUE(view.buttonsEnabled);

    CheckUpdateLan(&list, locations, view);
    EXPECT_EQ(view.log, ConnectText() + L"所有操作已完成！\r\n");
}

TEST_F(LanUpdateRunTest, AFailedCopyIsStillLoggedAndUnmarked) {
    Mark(L"absent.exe", 1);
    ASSERT_TRUE(WriteFileBytes(share / L"empty.exe", ""));
    ASSERT_TRUE(WriteFileBytes(install / L"empty.exe", "installed"));
    Mark(L"empty.exe", 1);

    CheckUpdateLan(&list, locations, view);

    EXPECT_EQ(view.log, ConnectText() + L"正在更新: absent.exe文件\r\n\r\n" + L"正在更新: empty.exe文件\r\n\r\n" +
                            L"所有操作已完成！\r\n");
    EXPECT_EQ(ReadFileBytes(install / L"empty.exe"), "installed") << "an empty source leaves the file";
    EXPECT_EQ(GetFileAttributesW((install / L"absent.exe").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(list.FindPending(), nullptr);
}

TEST_F(LanUpdateRunTest, WithoutAListOnlyTheFrameIsLogged) {
    CheckUpdateLan(nullptr, locations, view);
    EXPECT_EQ(view.log, ConnectText() + L"所有操作已完成！\r\n");
    EXPECT_TRUE(view.buttonsEnabled);
}

}  // namespace
