#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/paths/CopyWholeFile.h"
#include "app/paths/PathHelpers.h"
#include "app/paths/ReplaceFileContent.h"
#include "framework/UniqueHandle.h"
#include "tests/support/FolderEntries.h"
#include "tests/support/ReadFileBytes.h"
#include "tests/support/TempDir.h"
#include "tests/support/WriteFileBytes.h"

namespace {

// Bytes that differ from chunk to chunk, so that a misplaced or repeated chunk shows.
std::string Pattern(size_t size, unsigned start) {
    std::string bytes(size, '\0');
    unsigned x = start;
    for (char& b : bytes) {
        x = x * 1103515245u + 12345u;
        b = static_cast<char>(x >> 24);
    }
    return bytes;
}

FileHandle OpenFile(const std::wstring& path, DWORD access, DWORD share) {
    return FileHandle(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Gives the bytes of a text in pieces, then fails or ends early after a given number of bytes.
class ScriptedSource : public ContentSource {
public:
    ScriptedSource(std::string bytes, size_t failAfter, bool endInsteadOfFail)
        : bytes_(std::move(bytes)), failAfter_(failAfter), end_(endInsteadOfFail) {}
    long long Read(std::span<char> buffer) override {
        if (offset_ >= failAfter_) return end_ ? 0 : -1;
        size_t n = std::min({buffer.size(), bytes_.size() - offset_, failAfter_ - offset_});
        std::copy_n(bytes_.data() + offset_, n, buffer.data());
        offset_ += n;
        return static_cast<long long>(n);
    }

private:
    std::string bytes_;
    size_t offset_ = 0;
    size_t failAfter_;
    bool end_;
};

class CopyWholeFileTest : public ::testing::Test {
protected:
    TempDir dir_;
};

TEST_F(CopyWholeFileTest, LeavesExactlyTheSourceBytesOverALongerDestination) {
    std::wstring source = dir_ / L"新 版\\zvHelix.exe";
    std::wstring destination = dir_ / L"安装\\zvHelix.exe";
    ASSERT_TRUE(WriteFileBytes(source, std::string("new\0bytes", 9)));
    ASSERT_TRUE(WriteFileBytes(destination, Pattern(100000, 1)));
    EXPECT_TRUE(CopyWholeFile(source, destination));
    EXPECT_EQ(ReadFileBytes(destination), std::string("new\0bytes", 9));
    EXPECT_EQ(FolderEntries(dir_ / L"安装"), std::vector<std::wstring>{L"zvHelix.exe"});
}

TEST_F(CopyWholeFileTest, CreatesTheDestinationsFolders) {
    std::wstring source = dir_ / L"a.ini";
    std::wstring destination = dir_ / L"zvBackup\\doRozavovu\\a.ini";
    ASSERT_TRUE(WriteFileBytes(source, "[Zorvik]\r\n"));
    EXPECT_TRUE(CopyWholeFile(source, destination));
    EXPECT_EQ(ReadFileBytes(destination), "[Zorvik]\r\n");
}

TEST_F(CopyWholeFileTest, StreamsAFileOfManyChunks) {
    std::wstring source = dir_ / L"big.bin";
    std::wstring destination = dir_ / L"out\\big.bin";
    const std::string bytes = Pattern(3 * kCopyChunkBytes + 12345, 7);
    ASSERT_TRUE(WriteFileBytes(source, bytes));
    ASSERT_TRUE(WriteFileBytes(destination, "old"));
    EXPECT_TRUE(CopyWholeFile(source, destination));
    EXPECT_TRUE(ReadFileBytes(destination) == bytes);
}

TEST_F(CopyWholeFileTest, CopiesASourceThatIsOpenForWriting) {
    std::wstring source = dir_ / L"log.txt";
    ASSERT_TRUE(WriteFileBytes(source, "being written"));
    FileHandle writer = OpenFile(source, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(writer);
    EXPECT_TRUE(CopyWholeFile(source, dir_ / L"copy.txt"));
    EXPECT_EQ(ReadFileBytes(dir_ / L"copy.txt"), "being written");
}

TEST_F(CopyWholeFileTest, CopyOntoItselfKeepsTheContent) {
    std::wstring file = dir_ / L"same.dll";
    ASSERT_TRUE(WriteFileBytes(file, "content"));
    EXPECT_TRUE(CopyWholeFile(file, file));
    EXPECT_EQ(ReadFileBytes(file), "content");
    EXPECT_EQ(FolderEntries(dir_.Path()), std::vector<std::wstring>{L"same.dll"});
}

TEST_F(CopyWholeFileTest, EmptyOrUnopenableSourceCreatesNothing) {
    struct Case {
        const char* what;
        std::function<FileHandle(const std::wstring& source)> prepare;
    };
    const Case cases[] = {
        {"missing source", [](const std::wstring&) { return FileHandle(); }},
        {"empty source",
         [](const std::wstring& source) {
             WriteFileBytes(source, "");
             return FileHandle();
         }},
        {"source held without sharing",
         [](const std::wstring& source) {
             WriteFileBytes(source, "locked");
             return OpenFile(source, GENERIC_READ, 0);
         }},
        {"source is a folder",
         [](const std::wstring& source) {
             CreateDirectoryW(source.c_str(), nullptr);
             return FileHandle();
         }},
    };
    for (const Case& c : cases) {
        TempDir dir;
        std::wstring source = dir / L"src.exe";
        FileHandle held = c.prepare(source);
        EXPECT_FALSE(CopyWholeFile(source, dir / L"new folder\\dst.exe")) << c.what;
        EXPECT_FALSE(FileExists(dir / L"new folder")) << c.what;
    }
}

TEST_F(CopyWholeFileTest, DestinationThatCannotBeReplacedStaysAsItWas) {
    struct Case {
        const char* what;
        std::function<FileHandle(const std::wstring& destination)> hold;
        DWORD attributes;
    };
    const Case cases[] = {
        {"open without sharing", [](const std::wstring& d) { return OpenFile(d, GENERIC_READ, 0); },
         FILE_ATTRIBUTE_ARCHIVE},
        {"open, reading shared only", [](const std::wstring& d) { return OpenFile(d, GENERIC_READ, FILE_SHARE_READ); },
         FILE_ATTRIBUTE_ARCHIVE},
        {"read-only", [](const std::wstring&) { return FileHandle(); }, FILE_ATTRIBUTE_READONLY},
    };
    for (const Case& c : cases) {
        TempDir dir;
        std::wstring source = dir / L"src\\reDoriVeza.exe";
        std::wstring destination = dir / L"dst\\reDoriVeza.exe";
        ASSERT_TRUE(WriteFileBytes(source, Pattern(2 * kCopyChunkBytes, 3)));
        ASSERT_TRUE(WriteFileBytes(destination, "old program"));
        ASSERT_TRUE(SetFileAttributesW(destination.c_str(), c.attributes));
        {
            FileHandle held = c.hold(destination);
            EXPECT_FALSE(CopyWholeFile(source, destination)) << c.what;
        }
        SetFileAttributesW(destination.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(ReadFileBytes(destination), "old program") << c.what;
        EXPECT_EQ(FolderEntries(dir / L"dst"), std::vector<std::wstring>{L"reDoriVeza.exe"}) << c.what;
    }
}

TEST_F(CopyWholeFileTest, FolderAsDestinationIsLeftAlone) {
    std::wstring source = dir_ / L"x.ini";
    ASSERT_TRUE(WriteFileBytes(source, "x"));
    ASSERT_TRUE(WriteFileBytes(dir_ / L"target\\inside.txt", "in"));
    EXPECT_FALSE(CopyWholeFile(source, dir_ / L"target"));
    EXPECT_EQ(ReadFileBytes(dir_ / L"target\\inside.txt"), "in");
    EXPECT_EQ(FolderEntries(dir_.Path()), (std::vector<std::wstring>{L"target", L"x.ini"}));
}

// A read that fails part way, or a source that ends before its length, keeps the old
// destination whole and leaves no temporary file behind.
TEST(ReplaceFileContent, FailedStreamKeepsTheOldDestination) {
    struct Case {
        const char* what;
        size_t failAfter;
        bool endEarly;
        bool destinationExists;
    };
    const size_t length = 3 * kCopyChunkBytes + 100;
    const Case cases[] = {
        {"read fails in the second chunk", kCopyChunkBytes + 17, false, true},
        {"read fails at once", 0, false, true},
        {"read fails in the last chunk", length - 1, false, true},
        {"source ends early", 2 * kCopyChunkBytes, true, true},
        {"read fails, no destination yet", kCopyChunkBytes + 17, false, false},
    };
    for (const Case& c : cases) {
        TempDir dir;
        std::wstring destination = dir / L"ziRozirAzuvid.exe";
        if (c.destinationExists) {
            ASSERT_TRUE(WriteFileBytes(destination, "old whole file"));
        }
        auto source = std::make_unique<ScriptedSource>(Pattern(length, 5), c.failAfter, c.endEarly);
        EXPECT_FALSE(ReplaceFileContent(std::move(source), length, destination)) << c.what;
        if (c.destinationExists) {
            EXPECT_EQ(ReadFileBytes(destination), "old whole file") << c.what;
            EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::wstring>{L"ziRozirAzuvid.exe"}) << c.what;
        } else {
            EXPECT_TRUE(FolderEntries(dir.Path()).empty()) << c.what;
        }
    }
}

TEST(ReplaceFileContent, TakesExactlyTheGivenLength) {
    TempDir dir;
    std::wstring destination = dir / L"a.bin";
    const std::string bytes = Pattern(kCopyChunkBytes + 5, 9);
    auto source = std::make_unique<ScriptedSource>(bytes, bytes.size(), false);
    EXPECT_TRUE(ReplaceFileContent(std::move(source), kCopyChunkBytes, destination));
    EXPECT_TRUE(ReadFileBytes(destination) == bytes.substr(0, kCopyChunkBytes));
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::wstring>{L"a.bin"});
}

}  // namespace
