#include <gtest/gtest.h>

#include <windows.h>

#include "app/ConfigFile.h"
#include "framework/UniqueHandle.h"
#include "tests/support/FolderEntries.h"
#include "tests/support/PeFixture.h"
#include "tests/support/ReadFileBytes.h"
#include "tests/support/TempDir.h"
#include "tests/support/WriteFileBytes.h"
#include "tests/support/WriteUtf16Ini.h"
#include "update/LanCheck.h"

namespace {

// An install folder with a few managed files at known versions, and a share folder that
// holds the LAN configuration file "lan.ini".
class LanCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(MakeVersionedPe(install / L"zvHelix.exe", 1, 0, 1, 2624));   // key 20210624
        ASSERT_TRUE(MakeVersionedPe(install / L"ruVazoro.exe", 1, 0, 1, 3130));  // key 20211130
        ASSERT_TRUE(WriteUtf16Ini(install / L"settings.ini", L"[Zorvik]\r\nLanUpdateVersion=20210624\r\n"));
        ASSERT_TRUE(WriteUtf16Ini(install / L"plain.ini", L"[Zorvik]\r\nOther=1\r\n"));
        ASSERT_TRUE(WriteFileBytes(install / L"Dicom.Core.dll", "not a program"));
        locations = Locations::At(install.Path());
        locations.lanConfigPath = share / L"lan.ini";
    }

    void WriteLanConfig(const std::wstring& body) { ASSERT_TRUE(WriteUtf16Ini(share / L"lan.ini", body)); }

    std::string InstalledBytes(const wchar_t* name) const { return ReadFileBytes(install / name); }
    bool ConfigFileExists() const { return GetFileAttributesW(locations.GetConfigFilePath().c_str()) != INVALID_FILE_ATTRIBUTES; }

    TempDir install{L"zv install"};
    TempDir share{L"zv share"};
    Locations locations;
    UpdateList list;
};

struct LanCase {
    const char* what;
    std::wstring lanConfig;  // body of lan.ini
    int expected;            // CheckLan's result
    int entries;             // entries in the list afterwards
};

std::wstring Listing(const std::wstring& files) { return L"[Zorvik]\r\nVersion=20210624\r\n" + files; }

TEST_F(LanCheckTest, GivesTheCountForEachKindOfListing) {
    const std::wstring longName(1100, L'a');
    const std::wstring longDigits(1100, L'9');  // clamps to the largest key
    const LanCase cases[] = {
        {"wrong format version", L"[Zorvik]\r\nVersion=20210625\r\nFile1=zvHelix.exe,20990101\r\n", 0, 0},
        {"no format version", L"[Zorvik]\r\nFile1=zvHelix.exe,20990101\r\n", 0, 0},
        {"no entries", Listing(L""), 0, 0},
        {"File1 missing, File2 present", Listing(L"File2=zvHelix.exe,20990101\r\n"), 0, 0},
        {"File2 missing stops the reading", Listing(L"File1=zvHelix.exe,20990101\r\nFile3=plain.ini,1\r\n"), 1, 1},
        {"equal version", Listing(L"File1=zvHelix.exe,20210624\r\n"), 0, 1},
        {"comma", Listing(L"File1=zvHelix.exe,20210625\r\n"), 1, 1},
        {"full-width comma", Listing(L"File1=zvHelix.exe\uFF0C20210625\r\n"), 1, 1},
        {"slash", Listing(L"File1=zvHelix.exe/20210625\r\n"), 1, 1},
        {"backslash", Listing(L"File1=zvHelix.exe\\20210625\r\n"), 1, 1},
        {"bar", Listing(L"File1=zvHelix.exe|20210625\r\n"), 1, 1},
        {"name only", Listing(L"File1=zvHelix.exe\r\n"), 0, 1},
        {"sub-folder splits into fields", Listing(L"File1=doRozavovu\\doRozavovu.exe,20990101\r\n"), 0, 1},
        {"name longer than 1022 characters", Listing(L"File1=" + longName + L".exe,20990101\r\n"), 0, 1},
        {"version longer than 1022 characters", Listing(L"File1=zvHelix.exe," + longDigits + L"\r\n"), 1, 1},
        {"ini with a positive LanUpdateVersion, equal", Listing(L"File1=settings.ini,20210624\r\n"), 0, 1},
        {"ini with a positive LanUpdateVersion, newer", Listing(L"File1=settings.ini,20210625\r\n"), 1, 1},
        {"ini without LanUpdateVersion", Listing(L"File1=plain.ini,1\r\n"), 1, 1},
        {"ini that is not installed", Listing(L"File1=missing.ini,1\r\n"), 1, 1},
        {"dll with a version is never read", Listing(L"File1=Dicom.Core.dll,1\r\n"), 1, 1},
        {"dll without a version", Listing(L"File1=Dicom.Core.dll\r\n"), 0, 1},
        {"exe that is not installed", Listing(L"File1=zvHelix64.exe,1\r\n"), 1, 1},
        {"name listed twice", Listing(L"File1=zvHelix.exe,20210625\r\nFile2=zvHelix.exe,20210625\r\n"), 2, 2},
    };
    const std::string helixBefore = InstalledBytes(L"zvHelix.exe");
    for (const LanCase& c : cases) {
        SCOPED_TRACE(c.what);
        WriteLanConfig(c.lanConfig);
        UpdateList fresh;
        EXPECT_EQ(CheckLan(fresh, locations), c.expected);
        EXPECT_EQ(fresh.Count(), c.entries);
        EXPECT_EQ(InstalledBytes(L"zvHelix.exe"), helixBefore) << "the check changes no installed file";
        EXPECT_FALSE(ConfigFileExists()) << "LaunchUpdate is written only for the launcher";
    }
}

TEST_F(LanCheckTest, ReadsTheFieldsOfAnEntry) {
    WriteLanConfig(Listing(L"File1=zvHelix.exe\uFF0C20210625,extra\r\nFile2=doRozavovu\\doRozavovu.exe,20210624\r\n"));
    ASSERT_EQ(CheckLan(list, locations), 1);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.At(0)->name, L"zvHelix.exe");
    EXPECT_EQ(list.At(0)->path, L"zvHelix.exe");
    EXPECT_EQ(list.At(0)->lanVersion, L"20210625");
    EXPECT_EQ(list.At(0)->result, 1);
    EXPECT_EQ(list.At(1)->name, L"doRozavovu");
    EXPECT_EQ(list.At(1)->lanVersion, L"doRozavovu.exe");
    EXPECT_EQ(list.At(1)->result, 0);
    EXPECT_EQ(list.lanConfigCopy, locations.TempFolder() + L"lan.ini");
    EXPECT_EQ(ReadFileBytes(list.lanConfigCopy), ReadFileBytes(share / L"lan.ini"));
}

TEST_F(LanCheckTest, MarksTheLauncherInAnyLetterCaseAndRecordsItsUpdate) {
    WriteLanConfig(Listing(L"File1=RUVAZORO.EXE,20211130\r\n"));
    EXPECT_EQ(CheckLan(list, locations), 0);
    EXPECT_EQ(list.At(0)->kind, kKindLauncher);
    EXPECT_FALSE(ConfigFileExists());

    WriteUtf16Ini(locations.GetConfigFilePath(), L"[Zorvik]\r\nLanUpdateConfigFile=" + locations.lanConfigPath + L"\r\n");
    WriteLanConfig(Listing(L"File1=zvHelix.exe,20210624\r\nFile2=RUVAZORO.EXE,20211201\r\n"));
    EXPECT_EQ(CheckLan(list, locations), 1);
    EXPECT_EQ(list.At(0)->kind, kKindProduct);
    EXPECT_EQ(list.At(1)->kind, kKindLauncher);
    EXPECT_EQ(ReadIniString(locations.GetConfigFilePath(), L"LaunchUpdate"), L"1");
    EXPECT_EQ(ReadIniString(locations.GetConfigFilePath(), L"LanUpdateConfigFile"), locations.lanConfigPath)
        << "the other keys stay";
}

TEST_F(LanCheckTest, WithoutTheListingNothingIsTouched) {
    UpdateList empty;
    Locations noPath = locations;
    noPath.lanConfigPath.clear();
    EXPECT_EQ(CopyLanConfig(empty, noPath), -1);
    EXPECT_EQ(CopyLanConfig(empty, locations), -2);  // lan.ini was never written
    EXPECT_EQ(CheckLan(empty, locations), 0);
    EXPECT_EQ(empty.Count(), 0);
    EXPECT_EQ(empty.lanConfigCopy, L"");
    EXPECT_EQ(GetFileAttributesW(locations.TempFolder().c_str()), INVALID_FILE_ATTRIBUTES) << "no zvTemp made";
    EXPECT_FALSE(ConfigFileExists());
}

TEST_F(LanCheckTest, AnEmptyOrUnreadableListingFallsBackOnTheEarlierCopy) {
    struct Case {
        const char* what;
        bool earlierCopy;
        bool lockListing;  // held open without sharing, so it cannot be read
        int expected;
    };
    const Case cases[] = {
        {"empty, no earlier copy", false, false, 0},
        {"empty, earlier copy", true, false, 1},
        {"unreadable, no earlier copy", false, true, 0},
        {"unreadable, earlier copy", true, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RemoveTree(locations.TempFolder());
        if (c.earlierCopy) {
            ASSERT_TRUE(WriteUtf16Ini(locations.TempFolder() + L"lan.ini", Listing(L"File1=zvHelix.exe,20210625\r\n")));
        }
        ASSERT_TRUE(WriteFileBytes(share / L"lan.ini", c.lockListing ? "[Zorvik]\r\nVersion=20210624\r\n" : ""));
        FileHandle lock;
        if (c.lockListing)
            lock.reset(CreateFileW((share / L"lan.ini").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
        UpdateList fresh;
        EXPECT_EQ(CheckLan(fresh, locations), c.expected);
        EXPECT_EQ(fresh.Count(), c.expected);
    }
}

TEST(LanFileValue, SplitsAtEverySeparatorAndKeepsEmptyFields) {
    struct Case {
        const wchar_t* value;
        std::vector<std::wstring> fields;
    };
    const Case cases[] = {
        {L"a.exe,1", {L"a.exe", L"1"}},
        {L"a.exe\uFF0C1", {L"a.exe", L"1"}},
        {L"a.exe/1\\2|3", {L"a.exe", L"1", L"2", L"3"}},
        {L"a.exe", {L"a.exe"}},
        {L"a.exe,,1", {L"a.exe", L"", L"1"}},
        {L",1", {L"", L"1"}},
        {L" a.exe , 1 ", {L" a.exe ", L" 1 "}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitLanFileValue(c.value), c.fields) << c.value;
}

}  // namespace
