#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/paths/PathHelpers.h"
#include "tests/support/FolderEntries.h"
#include "tests/support/TempDir.h"
#include "tests/support/WriteFileBytes.h"

namespace {

bool IsFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring Repeat(wchar_t c, size_t n) { return std::wstring(n, c); }

TEST(PathParts, FollowTheSplitRules) {
    struct Case {
        std::wstring path;
        std::wstring folder;
        std::wstring name;
        std::wstring extension;
    };
    const Case cases[] = {
        {L"C:\\a\\b\\c.txt", L"C:\\a\\b\\", L"c.txt", L".txt"},
        {L"c.txt", L"", L"c.txt", L".txt"},
        {L"\\\\server\\share\\x.ini", L"\\\\server\\share\\", L"x.ini", L".ini"},
        {L"C:/a/c.txt", L"C:/a/", L"c.txt", L".txt"},
        {L"C:\\a/b\\c", L"C:\\a/b\\", L"c", L""},
        {L"C:\\a\\", L"C:\\a\\", L"", L""},
        {L"C:x.txt", L"C:", L"x.txt", L".txt"},
        {L"setup.tar.gz", L"", L"setup.tar.gz", L".gz"},
        {L"C:\\dir.old\\readme", L"C:\\dir.old\\", L"readme", L""},
        {L"C:\\A\\B.INI", L"C:\\A\\", L"B.INI", L".INI"},
        {L"D:\\安装 目录\\配置.ini", L"D:\\安装 目录\\", L"配置.ini", L".ini"},
        {L"", L"", L"", L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FolderOfPath(c.path), c.folder) << c.path;
        EXPECT_EQ(FileNameOfPath(c.path), c.name) << c.path;
        EXPECT_EQ(ExtensionOfPath(c.path), c.extension) << c.path;
    }
}

// The parts have fixed room (folder, name and extension 255 characters each), and only the
// first 260 characters of a path count. A part without room makes every part empty.
TEST(PathParts, LimitsOfTheFixedBuffers) {
    struct Case {
        const char* what;
        std::wstring path;
        std::wstring folder;
        std::wstring name;
        std::wstring extension;
    };
    const std::wstring folder255 = L"\\" + Repeat(L'f', 253) + L"\\";
    const std::wstring folder256 = L"\\" + Repeat(L'f', 254) + L"\\";
    const Case cases[] = {
        {"folder of 255", folder255 + L"x", folder255, L"x", L""},
        {"folder of 256", folder256 + L"x", L"", L"", L""},
        {"name of 255", Repeat(L'n', 255) + L".t", L"", Repeat(L'n', 255) + L".t", L".t"},
        {"name of 256", Repeat(L'n', 256) + L".t", L"", L"", L""},
        {"extension of 256", L"n." + Repeat(L'e', 255), L"", L"", L""},
        {"cut at 260", L"C:\\" + Repeat(L'd', 200) + L"\\" + Repeat(L'n', 100) + L".txt",
         L"C:\\" + Repeat(L'd', 200) + L"\\", Repeat(L'n', 56), L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FolderOfPath(c.path), c.folder) << c.what;
        EXPECT_EQ(FileNameOfPath(c.path), c.name) << c.what;
        EXPECT_EQ(ExtensionOfPath(c.path), c.extension) << c.what;
    }
}

TEST(ProgramLocation, IsTheRunningExecutable) {
    std::wstring folder = GetProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), L'\\');
    EXPECT_EQ(GetOwnFileName(), L"unit_path_helpers_test.exe");
    EXPECT_TRUE(FileExists(folder + GetOwnFileName()));
}

TEST(FileExists, AnyEntryFoundBySearchCounts) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / L"sub\\文件 1.txt", "x"));
    struct Case {
        std::wstring path;
        bool exists;
    };
    const Case cases[] = {
        {dir / L"sub\\文件 1.txt", true},
        {dir / L"sub", true},
        {dir / L"sub\\", false},
        {dir / L"sub\\*.txt", true},
        {dir / L"sub\\*.ini", false},
        {dir / L"sub\\missing.txt", false},
        {dir / L"missing\\文件 1.txt", false},
        {L"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(FileExists(c.path), c.exists) << c.path;
}

TEST(CreateFolderChain, CreatesEveryMissingFolder) {
    TempDir dir;
    const std::wstring cases[] = {
        dir / L"x\\y\\z\\",
        dir / L"a/b/c",
        dir / L"深 层\\二\\",
    };
    for (const std::wstring& chain : cases) {
        CreateFolderChain(chain);
        std::wstring path = chain;
        for (wchar_t& c : path) {
            if (c == L'/') c = L'\\';
        }
        EXPECT_TRUE(IsFolder(path)) << chain;
        CreateFolderChain(chain);  // again: nothing to do
        EXPECT_TRUE(IsFolder(path)) << chain;
    }
    EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::wstring>{L"a", L"x", L"深 层"}));
}

TEST(CreateFolderChain, RelativeChainGoesIntoTheCurrentFolder) {
    TempDir dir;
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(dir.Path().c_str()));
    CreateFolderChain(L"a/b/c");
    SetCurrentDirectoryW(previous);
    EXPECT_TRUE(IsFolder(dir / L"a\\b\\c"));
}

TEST(CreateFolderChain, StopsAtAFileOfThatName) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / L"file", "data"));
    CreateFolderChain(dir / L"file\\sub\\");
    EXPECT_FALSE(IsFolder(dir / L"file"));
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::wstring>{L"file"});
    CreateFolderChain(L"");  // nothing, and no failure
}

TEST(CreateFolderOfFile, CreatesTheFoldersButNotTheFile) {
    TempDir dir;
    CreateFolderOfFile(dir / L"zvTemp\\doRozavovu\\Dicom.Core.dll");
    EXPECT_TRUE(IsFolder(dir / L"zvTemp\\doRozavovu"));
    EXPECT_TRUE(FolderEntries(dir / L"zvTemp\\doRozavovu").empty());
}

TEST(SplitAtBar, KeepsEmptyPieces) {
    struct Case {
        std::wstring text;
        std::vector<std::wstring> pieces;
    };
    const Case cases[] = {
        {L"", {L""}},
        {L"a", {L"a"}},
        {L"a|b", {L"a", L"b"}},
        {L"a|", {L"a", L""}},
        {L"|a", {L"", L"a"}},
        {L"||", {L"", L"", L""}},
        {L"zvHelix.exe|20210624|x", {L"zvHelix.exe", L"20210624", L"x"}},
        {L"文件 1.dll| 20210624 ", {L"文件 1.dll", L" 20210624 "}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitAtBar(c.text), c.pieces) << c.text;
}

TEST(EqualsIgnoringAsciiCase, FoldsOnlyAToZ) {
    struct Case {
        const wchar_t* a;
        const wchar_t* b;
        bool equal;
    };
    const Case cases[] = {
        {L"ruVazoro.exe", L"RUVAZORO.EXE", true},
        {L"", L"", true},
        {L"abc", L"abcd", false},
        {L"[", L"{", false},  // differ by the case bit, but are no letters
        {L"@", L"`", false},
        {L"Ä", L"ä", false},
        {L"文件A", L"文件a", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EqualsIgnoringAsciiCase(c.a, c.b), c.equal) << c.a << L" " << c.b;
        EXPECT_EQ(EqualsIgnoringAsciiCase(c.b, c.a), c.equal) << c.a << L" " << c.b;
    }
}

}  // namespace
