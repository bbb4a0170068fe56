#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/ConfigFile.h"
#include "app/paths/PathHelpers.h"
#include "controls/DotNetCheck.h"
#include "tests/support/DotNetRegistry.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/PeFixture.h"
#include "tests/support/ReadFileBytes.h"
#include "tests/support/TempDir.h"
#include "tests/support/WriteFileBytes.h"
#include "update/InternetCheck.h"

namespace {

// The installed paths of the nine managed files.
const wchar_t* const kManagedPaths[] = {
    L"ruVazoro.exe",      L"doRozavovu\\Dicom.Core.dll", L"vcredist_x86.exe",
    L"reDoriVeza.exe",    L"reDoriVeza64.exe",           L"zvHelix.exe",
    L"zvHelix64.exe",     L"ziRozirAzuvid.exe",          L"doRozavovu\\doRozavovu.exe",
};
// The names of the same files, the keys of the version file.
const wchar_t* const kManagedNames[] = {
    L"ruVazoro.exe",   L"Dicom.Core.dll", L"vcredist_x86.exe",  L"reDoriVeza.exe",  L"reDoriVeza64.exe",
    L"zvHelix.exe",    L"zvHelix64.exe",  L"ziRozirAzuvid.exe", L"doRozavovu.exe",
};

// A version file that requires key 20210624 of every managed file except those given.
std::string PageRequiring(const std::vector<std::pair<std::wstring, std::string>>& changed = {}) {
    std::string page = "[Zorvik]\r\n";
    for (const wchar_t* name : kManagedNames) {
        std::string value = "20210624";
        for (const auto& [changedName, changedValue] : changed)
            if (changedName == name) value = changedValue;
        page += std::string(name, name + wcslen(name)) + "=" + value + "\r\n";
    }
    return page;
}

// Text as UTF-16LE with a byte-order mark, the form in which the INI reader keeps Chinese.
std::string Utf16Page(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}

// An install folder, the update site on loopback, and the .NET side scripted by hooks.
class InternetCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Listening());
        site.host = server.HostPortW();
        ASSERT_TRUE(MakeVersionedPe(stamped / L"stamped.exe", 1, 0, 1, 2624));  // key 20210624
    }

    // Installs every managed file at key 20210624.
    void InstallAll(const Locations& at) {
        for (const wchar_t* path : kManagedPaths) {
            const std::wstring destination = at.programFolder + path;
            CreateFolderOfFile(destination);
            ASSERT_TRUE(CopyFileW((stamped / L"stamped.exe").c_str(), destination.c_str(), FALSE)) << path;
        }
    }

    void ServePage(const std::string& body) { server.SetReply("/update/update.html", ScriptedReply::Ok(body)); }

    DotNetPromptHooks CountingHooks(bool installed, INT_PTR promptResult = IDCANCEL) {
        DotNetPromptHooks hooks;
        hooks.isInstalled = [this, installed] {
            ++dotNetTests;
            return installed;
        };
        hooks.runPrompt = [this, promptResult](const std::wstring& url, const std::wstring& info) {
            prompts.push_back({url, info});
            return promptResult;
        };
        return hooks;
    }

    static std::vector<std::wstring> MarkedNames(const UpdateList& list) {
        std::vector<std::wstring> names;
        for (int i = 0; i < list.Count(); ++i)
            if (list.At(i) && list.At(i)->result != 0) names.push_back(list.At(i)->name);
        std::sort(names.begin(), names.end());
        return names;
    }

    LoopbackHttpServer server;
    UpdateSite site;
    TempDir stamped{L"zv stamped"};
    int dotNetTests = 0;
    std::vector<std::pair<std::wstring, std::wstring>> prompts;
};

// What happens to an install folder whose files are all at key 20210624 before a case.
enum class Change { Remove, NotAProgram };

struct MarkCase {
    const char* what;
    bool installAll;
    std::vector<std::pair<std::wstring, Change>> changes;  // installed path -> change
    std::string page;
    std::vector<std::wstring> marked;  // names, sorted
    bool launchUpdate;                 // "LaunchUpdate" = "1" written (else no configuration file)
};

TEST_F(InternetCheckTest, MarksEachFileThatNeedsAnUpdateAndCountsThem) {
    std::vector<std::wstring> all(std::begin(kManagedNames), std::end(kManagedNames));
    std::sort(all.begin(), all.end());
    const MarkCase cases[] = {
        {"nothing installed, empty page", false, {}, "", all, true},
        {"nothing installed, page names every file at an old key", false, {}, PageRequiring(), all, true},
        {"all installed, equal keys", true, {}, PageRequiring(), {}, false},
        {"all installed, empty page", true, {}, "", {}, false},
        {"all installed, a page that is no INI document", true, {}, "<html><body>zvHelix.exe=20990101</body></html>", {}, false},
        {"two required one greater", true, {},
         PageRequiring({{L"zvHelix.exe", "20210625"}, {L"Dicom.Core.dll", "20210625"}}),
         {L"Dicom.Core.dll", L"zvHelix.exe"}, false},
        {"required one smaller", true, {}, PageRequiring({{L"zvHelix.exe", "20210623"}}), {}, false},
        {"non-numeric value reads as key 0", true, {}, PageRequiring({{L"zvHelix.exe", "neu"}}), {}, false},
        {"key written in other letters", true, {}, "[ZORVIK]\r\nZVHELIX.EXE=20210625\r\n", {L"zvHelix.exe"}, false},
        {"ruVazoro.exe required one greater", true, {}, PageRequiring({{L"ruVazoro.exe", "20210625"}}),
         {L"ruVazoro.exe"}, true},
        {"ruVazoro.exe not installed, empty page", true, {{L"ruVazoro.exe", Change::Remove}}, "", {L"ruVazoro.exe"}, true},
        {"a file not installed though the page does not name it", true, {{L"zvHelix64.exe", Change::Remove}},
         "[Zorvik]\r\nzvHelix.exe=20210624\r\n", {L"zvHelix64.exe"}, false},
        {"a file without a version resource", true, {{L"doRozavovu\\doRozavovu.exe", Change::NotAProgram}},
         PageRequiring(), {L"doRozavovu.exe"}, false},
    };
    for (const MarkCase& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir install{L"zv install"};
        const Locations locations = Locations::At(install.Path());
        if (c.installAll) InstallAll(locations);
        for (const auto& [path, change] : c.changes) {
            const std::wstring file = install / path;
            if (change == Change::Remove) {
                ASSERT_TRUE(DeleteFileW(file.c_str()));
            }
            if (change == Change::NotAProgram) {
                ASSERT_TRUE(WriteFileBytes(file, "plain bytes"));
            }
        }
        ServePage(c.page);

        UpdateList list;
        const int count = CheckInternet(list, locations, site, CountingHooks(true));
        EXPECT_EQ(count, static_cast<int>(c.marked.size()));
        EXPECT_EQ(list.Count(), 9);
        EXPECT_EQ(MarkedNames(list), c.marked);
        EXPECT_EQ(dotNetTests, 1);
        EXPECT_TRUE(prompts.empty()) << "no prompt while .NET is registered";
        if (c.launchUpdate) {
            EXPECT_EQ(ReadIniString(locations.GetConfigFilePath(), L"LaunchUpdate"), L"1");
        } else {
            EXPECT_FALSE(FileExists(locations.GetConfigFilePath())) << "nothing written";
        }
        EXPECT_EQ(ReadFileBytes(locations.GetVersionFilePath()), c.page) << "the page is kept as fetched";
        dotNetTests = 0;
    }
}

TEST_F(InternetCheckTest, LaunchUpdateIsOnlyEverSetToOne) {
    struct Case {
        const char* what;
        std::wstring before;  // LaunchUpdate in the configuration file before the check
        bool launcherNewer;
        std::wstring after;
    };
    const Case cases[] = {
        {"up to date, was 0", L"0", false, L"0"},
        {"up to date, was 1", L"1", false, L"1"},
        {"needs an update, was 0", L"0", true, L"1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir install{L"zv install"};
        const Locations locations = Locations::At(install.Path());
        InstallAll(locations);
        WriteIniString(locations.GetConfigFilePath(), L"LaunchUpdate", c.before);
        WriteIniString(locations.GetConfigFilePath(), L"NeedUpdate", L"0");
        ServePage(PageRequiring({{L"ruVazoro.exe", c.launcherNewer ? "20210625" : "20210624"}}));

        UpdateList list;
        EXPECT_EQ(CheckInternet(list, locations, site, CountingHooks(true)), c.launcherNewer ? 1 : 0);
        EXPECT_EQ(ReadIniString(locations.GetConfigFilePath(), L"LaunchUpdate"), c.after);
        EXPECT_EQ(ReadIniString(locations.GetConfigFilePath(), L"NeedUpdate"), L"0") << "other keys stay";
    }
}

TEST_F(InternetCheckTest, AsksForTheVersionPageOfTheSite) {
    TempDir install{L"zv install"};
    const Locations locations = Locations::At(install.Path());
    ServePage(PageRequiring());
    UpdateList list;
    CheckInternet(list, locations, site, CountingHooks(true));
    const std::vector<RecordedRequest> requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].target, "/update/update.html");
    EXPECT_EQ(requests[0].Header("Host").value_or(""), server.HostPort());
}

// An older version file in zvTemp would mark files and show the prompt if it were read.
TEST_F(InternetCheckTest, AFailedFetchCountsAsNothingToUpdate) {
    const std::string older = Utf16Page(L"[Zorvik]\r\nzvHelix.exe=29991231\r\nOpenURL1=https://old.example/\r\nOpenInfo1=旧\r\n");
    struct Case {
        const char* what;
        bool closedPort;
        int status;
    };
    const Case cases[] = {
        {"404", false, 404},
        {"500", false, 500},
        {"199 (below the good range)", false, 199},
        {"300 (above it)", false, 300},
        {"closed port", true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir install{L"zv install"};
        const Locations locations = Locations::At(install.Path());
        InstallAll(locations);
        ASSERT_TRUE(WriteFileBytes(locations.GetVersionFilePath(), older));
        UpdateSite target = site;
        if (c.closedPort)
            target.host = L"127.0.0.1:" + std::to_wstring(ClosedLoopbackPort());
        else
            server.SetReply("/update/update.html", ScriptedReply::Status(c.status, "Scripted", PageRequiring()));

        UpdateList list;
        EXPECT_EQ(CheckInternet(list, locations, target, CountingHooks(false)), 0);
        EXPECT_EQ(list.Count(), 0) << "the list stays empty";
        EXPECT_EQ(dotNetTests, 0) << "no .NET test after a failed fetch";
        EXPECT_TRUE(prompts.empty());
        EXPECT_FALSE(FileExists(locations.GetConfigFilePath()));
        EXPECT_EQ(ReadFileBytes(locations.GetVersionFilePath()), older) << "the older file keeps its content";
    }
}

// The .NET side through the real registry test of the test prefix's 32-bit view, with a
// prompt that only counts. ruVazoro.exe is one key behind, so a check that goes on counts 1
// and writes LaunchUpdate.
TEST_F(InternetCheckTest, ThePromptAppearsOnlyWhenDotNetIsMissingAndBothTextsAreSet) {
    SavedDotNetKey saved;
    if (!saved.CanRestore()) GTEST_SKIP() << "the prefix's .NET key has sub-keys";

    const std::wstring url = L"https://dotnet.example/下载/dotNetFx40_Full_x86_x64.exe?lang=zh-CN";
    const std::wstring info = L"请先安装 .NET Framework 4.0，再启动工作站";
    const std::wstring files = L"ruVazoro.exe=20210625\r\nzvHelix.exe=20210624\r\n";
    const std::wstring bothTexts = L"OpenURL1=" + url + L"\r\nOpenInfo1=" + info + L"\r\n";
    struct Case {
        const char* what;
        DotNetState registry;
        std::wstring texts;  // lines of the version file besides the files
        INT_PTR promptResult;
        bool prompted;
        int expected;
    };
    const Case cases[] = {
        {"registered", DotNetState::Registered, bothTexts, 1, false, 1},
        {"key without the value, ignored", DotNetState::KeyWithoutValue, bothTexts, IDCANCEL, true, 1},
        {"value over 260 bytes, ignored", DotNetState::ValueTooLong, bothTexts, IDCANCEL, true, 1},
        {"no key, ignored", DotNetState::NoKey, bothTexts, IDCANCEL, true, 1},
        {"missing, only the address", DotNetState::KeyWithoutValue, L"OpenURL1=" + url + L"\r\n", 1, false, 1},
        {"missing, only the hint", DotNetState::KeyWithoutValue, L"OpenInfo1=" + info + L"\r\n", 1, false, 1},
        {"missing, empty texts", DotNetState::KeyWithoutValue, L"OpenURL1=\r\nOpenInfo1=\r\n", 1, false, 1},
        {"missing, prompt ended with 1", DotNetState::KeyWithoutValue, bothTexts, IDOK, true, -1},
        {"missing, prompt could not be shown (-1)", DotNetState::ValueTooLong, bothTexts, -1, true, -1},
        {"missing, prompt ended with 0", DotNetState::NoKey, bothTexts, 0, true, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(SetDotNetState(c.registry));
        TempDir install{L"zv install"};
        const Locations locations = Locations::At(install.Path());
        InstallAll(locations);
        ServePage(Utf16Page(L"[Zorvik]\r\n" + c.texts + files));

        DotNetPromptHooks hooks = CountingHooks(false, c.promptResult);
        hooks.isInstalled = [] { return IsDotNet40Installed() != 0; };
        prompts.clear();
        UpdateList list;
        EXPECT_EQ(CheckInternet(list, locations, site, hooks), c.expected);
        ASSERT_EQ(prompts.size(), c.prompted ? 1u : 0u);
        if (c.prompted) {
            EXPECT_EQ(prompts[0].first, url);
            EXPECT_EQ(prompts[0].second, info);
        }
        if (c.expected < 0) {
            EXPECT_EQ(list.Count(), 0) << "the check stops before the files are tested";
            EXPECT_FALSE(FileExists(locations.GetConfigFilePath()));
        } else {
            EXPECT_EQ(MarkedNames(list), std::vector<std::wstring>{L"ruVazoro.exe"});
            EXPECT_EQ(ReadIniString(locations.GetConfigFilePath(), L"LaunchUpdate"), L"1");
        }
    }
}

}  // namespace
