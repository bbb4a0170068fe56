#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ConfigFile.h"
#include "app/Locations.h"
#include "tests/support/FolderEntries.h"
#include "tests/support/ReadFileBytes.h"
#include "tests/support/TempDir.h"
#include "tests/support/WriteFileBytes.h"
#include "tests/support/WriteUtf16Ini.h"

namespace {

// The text of an INI file as the platform left it: UTF-16LE after a byte-order mark, else bytes.
std::wstring IniText(const std::wstring& path) {
    std::string bytes = ReadFileBytes(path);
    std::wstring text;
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                         (static_cast<unsigned char>(bytes[i + 1]) << 8));
    } else {
        for (char c : bytes) text += static_cast<wchar_t>(static_cast<unsigned char>(c));
    }
    return text;
}

TEST(Locations, PathsFollowTheProgramFolder) {
    Locations at = Locations::At(L"D:\\Work\\");
    EXPECT_EQ(at.GetConfigFilePath(), L"D:\\Work\\Zorvik配置.ini");
    EXPECT_EQ(at.TempFolder(), L"D:\\Work\\zvTemp\\");
    EXPECT_EQ(at.GetVersionFilePath(), L"D:\\Work\\zvTemp\\Zorvik版本.ini");
    EXPECT_EQ(at.BackupFolder(), L"D:\\Work\\zvBackup\\");
    EXPECT_EQ(at.ownFileName, L"ruVazoro.exe");
    EXPECT_TRUE(at.lanConfigPath.empty());
}

TEST(ReadLanConfigPath, ReadsTheKeyOfTheConfigurationFile) {
    const std::wstring share = L"\\\\服务器\\共享 目录\\Zorvik局域网.ini";
    const std::wstring longValue(1500, L'x');
    struct Case {
        const char* what;
        std::wstring content;
        std::wstring expected;
    };
    const Case cases[] = {
        {"the key", L"[Zorvik]\r\nLanUpdateConfigFile=" + share + L"\r\n", share},
        {"lower-case section and key", L"[zorvik]\r\nlanupdateconfigfile=" + share + L"\r\n", share},
        {"among other keys", L"; 配置\r\n[Zorvik]\r\nLaunchUpdate=1\r\nLanUpdateConfigFile=" + share + L"\r\nNeedUpdate=0\r\n",
         share},
        {"empty value", L"[Zorvik]\r\nLanUpdateConfigFile=\r\n", L""},
        {"no key", L"[Zorvik]\r\nLaunchUpdate=1\r\n", L""},
        {"key in another section", L"[Other]\r\nLanUpdateConfigFile=" + share + L"\r\n", L""},
        {"empty file", L"", L""},
        {"value longer than the buffer", L"[Zorvik]\r\nLanUpdateConfigFile=" + longValue + L"\r\n",
         longValue.substr(0, 1022)},
    };
    for (const Case& c : cases) {
        TempDir dir;
        Locations at = Locations::At(dir.Path());
        ASSERT_TRUE(WriteUtf16Ini(at.GetConfigFilePath(), c.content));
        EXPECT_EQ(ReadLanConfigPath(at), c.expected) << c.what;
    }
}

TEST(ReadLanConfigPath, AnsiFileIsReadToo) {
    TempDir dir;
    Locations at = Locations::At(dir.Path());
    ASSERT_TRUE(WriteFileBytes(at.GetConfigFilePath(), "[Zorvik]\r\nLanUpdateConfigFile=\\\\srv\\zv\\lan.ini\r\n"));
    EXPECT_EQ(ReadLanConfigPath(at), L"\\\\srv\\zv\\lan.ini");
}

TEST(ReadLanConfigPath, MissingConfigurationFileIsNotCreated) {
    TempDir dir;
    Locations at = Locations::At(dir.Path());
    EXPECT_EQ(ReadLanConfigPath(at), L"");
    EXPECT_EQ(ReadUpdateHost(at), L"");
    EXPECT_TRUE(FolderEntries(dir.Path()).empty());
}

TEST(ReadUpdateHost, ReadsTheOptionalKey) {
    struct Case {
        std::wstring content;
        std::wstring expected;
    };
    const Case cases[] = {
        {L"[Zorvik]\r\nUpdateHost=127.0.0.1:8080\r\n", L"127.0.0.1:8080"},
        {L"[Zorvik]\r\nupdatehost=mirror.example\r\nLanUpdateConfigFile=x\r\n", L"mirror.example"},
        {L"[Zorvik]\r\nUpdateHost=\r\n", L""},
        {L"[Zorvik]\r\nLanUpdateConfigFile=x\r\n", L""},
    };
    for (const Case& c : cases) {
        TempDir dir;
        Locations at = Locations::At(dir.Path());
        ASSERT_TRUE(WriteUtf16Ini(at.GetConfigFilePath(), c.content));
        EXPECT_EQ(ReadUpdateHost(at), c.expected) << c.content;
    }
}

TEST(WriteIniString, ReplacesOneKeyAndKeepsTheRest) {
    TempDir dir;
    Locations at = Locations::At(dir.Path());
    const std::vector<std::wstring> lines = {
        L"; 本机设置",
        L"[Zorvik]",
        L"LanUpdateConfigFile=\\\\服务器\\共享\\lan.ini",
        L"LaunchUpdate=0",
        L"[Other]",
        L"Key=值",
    };
    std::wstring content;
    for (const std::wstring& line : lines) content += line + L"\r\n";
    ASSERT_TRUE(WriteUtf16Ini(at.GetConfigFilePath(), content));

    WriteIniString(at.GetConfigFilePath(), L"LaunchUpdate", L"1");
    WriteIniString(at.GetConfigFilePath(), L"NeedUpdate", L"0");

    EXPECT_EQ(ReadIniString(at.GetConfigFilePath(), L"LaunchUpdate"), L"1");
    EXPECT_EQ(ReadIniString(at.GetConfigFilePath(), L"NeedUpdate"), L"0");
    EXPECT_EQ(ReadLanConfigPath(at), L"\\\\服务器\\共享\\lan.ini");
    std::wstring after = IniText(at.GetConfigFilePath());
    for (const std::wstring& line : lines) {
        if (line != L"LaunchUpdate=0") {
            EXPECT_NE(after.find(line), std::wstring::npos) << line;
        }
    }
    EXPECT_EQ(after.find(L"LaunchUpdate=0"), std::wstring::npos);
}

TEST(WriteIniString, CreatesAMissingFileWithOnlyThatKey) {
    TempDir dir;
    Locations at = Locations::At(dir.Path());
    WriteIniString(at.GetConfigFilePath(), L"NeedUpdate", L"0");
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::wstring>{L"Zorvik配置.ini"});
    EXPECT_EQ(ReadIniString(at.GetConfigFilePath(), L"NeedUpdate"), L"0");
    EXPECT_EQ(ReadLanConfigPath(at), L"");
}

TEST(ReadIniInt, ReadsADecimalOrZero) {
    TempDir dir;
    std::wstring ini = dir / L"Dicom 设置.ini";
    ASSERT_TRUE(WriteUtf16Ini(ini, L"[Zorvik]\r\nLanUpdateVersion=20210624\r\nWord=abc\r\n"));
    EXPECT_EQ(ReadIniInt(ini, L"LanUpdateVersion"), 20210624);
    EXPECT_EQ(ReadIniInt(ini, L"lanupdateversion"), 20210624);
    EXPECT_EQ(ReadIniInt(ini, L"Word"), 0);
    EXPECT_EQ(ReadIniInt(ini, L"Missing"), 0);
    EXPECT_EQ(ReadIniInt(dir / L"missing.ini", L"LanUpdateVersion"), 0);
}

}  // namespace
