#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/ConfigFile.h"
#include "app/Locations.h"
#include "framework/UniqueHandle.h"
#include "support/LoopbackHttpServer.h"
#include "support/TempDir.h"
#include "update/FetchCancel.h"
#include "update/FetchVersionFile.h"
#include "update/HttpFetch.h"
#include "update/UpdateSite.h"

namespace {

constexpr char kPage[] = "/update/update.html";
constexpr char kOldContent[] = "[Zorvik]\r\nzvHelix.exe=20200101\r\n";
// The start-up must not wait longer than this for a silent or trickling site.
constexpr auto kStartupBound = std::chrono::seconds(10);

std::optional<std::string> ReadBytes(const std::wstring& path) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                0, nullptr));
    if (!file) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
    return bytes;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    CreateDirectoryW(path.substr(0, path.rfind(L'\\')).c_str(), nullptr);
    FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

// Names of the files in a folder (no "." or "..").
std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW((folder + L"*").c_str(), &data));
    if (!find) return names;
    do {
        std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(find.get(), &data));
    return names;
}

// Every byte value, and CR, LF, CR LF and NUL in odd places, over several 1,024-byte chunks.
std::string BinaryBody() {
    std::string body;
    for (int i = 0; i < 5000; ++i) body += static_cast<char>((i * 7 + i / 256) & 0xFF);
    body += std::string("\r\n\n\r\0\0\r\n", 8);
    body.insert(0, std::string("\0\r\n", 3));
    return body;
}

std::string PatternBytes(std::uint64_t length) {
    std::string bytes(length, '\0');
    for (std::uint64_t i = 0; i < length; ++i) bytes[i] = static_cast<char>(LoopbackHttpServer::PatternByte(i));
    return bytes;
}

ScriptedReply WithoutLength(ScriptedReply reply) {
    reply.announceLength = false;
    return reply;
}

ScriptedReply CutShort(std::uint64_t length, std::uint64_t sent) {
    ScriptedReply reply = ScriptedReply::Pattern(length);
    reply.sendOnly = sent;
    return reply;
}

ScriptedReply StallAfter(std::uint64_t sent) {
    ScriptedReply reply = CutShort(100000, sent);
    reply.holdAfterSendOnly = true;
    return reply;
}

ScriptedReply TrickleForever() {
    ScriptedReply reply = ScriptedReply::Pattern(1u << 30);
    reply.trickleBytes = 3;
    reply.trickleMs = 200;
    return reply;
}

class VersionFileFetch : public ::testing::Test {
protected:
    TempDir dir_;
    LoopbackHttpServer server_;
    Locations locations_ = Locations::At(dir_.Path());
    UpdateSite site_{server_.HostPortW()};

    void SetUp() override { ASSERT_TRUE(server_.Listening()); }

    std::wstring VersionFile() const { return locations_.GetVersionFilePath(); }
    std::vector<std::wstring> LeftoverParts() const {
        std::vector<std::wstring> parts;
        for (const std::wstring& name : FilesIn(locations_.TempFolder()))
            if (name != kVersionFileName) parts.push_back(name);
        return parts;
    }
};

TEST_F(VersionFileFetch, StoresEveryGoodBodyByteForByte) {
    struct Case {
        const char* name;
        ScriptedReply reply;
        std::string expected;
    };
    const Case cases[] = {
        {"binary body over several chunks", ScriptedReply::Ok(BinaryBody()), BinaryBody()},
        {"generated body", ScriptedReply::Pattern(70000), PatternBytes(70000)},
        {"body that ends with the connection", WithoutLength(ScriptedReply::Ok(BinaryBody())), BinaryBody()},
        {"204 without a body", WithoutLength(ScriptedReply::Status(204, "No Content")), ""},
        {"200 with an empty body", ScriptedReply::Ok(""), ""},
        {"299 counts as success", ScriptedReply::Status(299, "Fine", "[Zorvik]\r\n"), "[Zorvik]\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(VersionFile(), kOldContent);
        server_.SetReply(kPage, c.reply);
        const std::size_t before = server_.Requests().size();

        EXPECT_EQ(FetchVersionFile(locations_, site_), 0);

        EXPECT_EQ(ReadBytes(VersionFile()), c.expected);
        EXPECT_TRUE(LeftoverParts().empty());
        const std::vector<RecordedRequest> requests = server_.Requests();
        ASSERT_EQ(requests.size(), before + 1);
        EXPECT_EQ(requests.back().method, "GET");
        EXPECT_EQ(requests.back().target, kPage);
        EXPECT_EQ(requests.back().Header("User-Agent"), "ruVazoro");
    }
}

TEST_F(VersionFileFetch, FailuresLeaveTheOldFileAlone) {
    struct Case {
        const char* name;
        ScriptedReply reply;
        int expected;
    };
    const Case cases[] = {
        {"404", ScriptedReply::Status(404, "Not Found", "missing"), -2},
        {"500", ScriptedReply::Status(500, "Internal Server Error", "broken"), -2},
        {"300 is no success", ScriptedReply::Status(300, "Multiple Choices", "which"), -2},
        {"closed in mid-body", CutShort(5000, 2000), -1},
        {"closed before the body", CutShort(5000, 0), -1},
        {"accepts and never answers", ScriptedReply::Silent(), -1},
        {"stalls in mid-body", StallAfter(1500), -1},
        {"trickles forever", TrickleForever(), -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(VersionFile(), kOldContent);
        server_.SetReply(kPage, c.reply);
        const std::size_t before = server_.Requests().size();

        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(FetchVersionFile(locations_, site_), c.expected);
        EXPECT_LT(std::chrono::steady_clock::now() - started, kStartupBound);

        EXPECT_EQ(ReadBytes(VersionFile()), kOldContent);
        EXPECT_TRUE(LeftoverParts().empty());
        EXPECT_EQ(server_.Requests().size(), before + 1);
    }
}

TEST_F(VersionFileFetch, UnreachableSiteIsAConnectionFailure) {
    WriteBytes(VersionFile(), kOldContent);
    const UpdateSite closed{L"127.0.0.1:" + std::to_wstring(ClosedLoopbackPort())};
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(FetchVersionFile(locations_, closed), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - started, kStartupBound);
    EXPECT_EQ(ReadBytes(VersionFile()), kOldContent);
}

TEST_F(VersionFileFetch, MalformedSiteGivesNoResponseObject) {
    EXPECT_EQ(FetchVersionFile(locations_, UpdateSite{L""}), -3);
    EXPECT_FALSE(ReadBytes(VersionFile()));
}

TEST_F(VersionFileFetch, CreatesTheMissingTempFolder) {
    server_.SetReply(kPage, ScriptedReply::Ok("[Zorvik]\r\n"));
    ASSERT_EQ(GetFileAttributesW(locations_.TempFolder().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(FetchVersionFile(locations_, site_), 0);
    EXPECT_EQ(ReadBytes(VersionFile()), "[Zorvik]\r\n");
}

TEST_F(VersionFileFetch, UnwritableDestinationCannotBeCreated) {
    server_.SetReply(kPage, ScriptedReply::Ok("[Zorvik]\r\nnew\r\n"));
    CreateDirectoryW(locations_.TempFolder().c_str(), nullptr);

    {
        SCOPED_TRACE("a folder of that name");
        ASSERT_TRUE(CreateDirectoryW(VersionFile().c_str(), nullptr));
        EXPECT_EQ(FetchVersionFile(locations_, site_), -1);
        EXPECT_EQ(GetFileAttributesW(VersionFile().c_str()) & FILE_ATTRIBUTE_DIRECTORY, DWORD{FILE_ATTRIBUTE_DIRECTORY});
        EXPECT_TRUE(LeftoverParts().empty());
        RemoveDirectoryW(VersionFile().c_str());
    }
    {
        SCOPED_TRACE("a read-only file");
        WriteBytes(VersionFile(), kOldContent);
        ASSERT_TRUE(SetFileAttributesW(VersionFile().c_str(), FILE_ATTRIBUTE_READONLY));
        EXPECT_EQ(FetchVersionFile(locations_, site_), -1);
        EXPECT_EQ(ReadBytes(VersionFile()), kOldContent);
        EXPECT_TRUE(LeftoverParts().empty());
        SetFileAttributesW(VersionFile().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    {
        SCOPED_TRACE("a file held open against writing");
        WriteBytes(VersionFile(), kOldContent);
        FileHandle held(CreateFileW(VersionFile().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        EXPECT_EQ(FetchVersionFile(locations_, site_), -1);
        held.reset();
        EXPECT_EQ(ReadBytes(VersionFile()), kOldContent);
        EXPECT_TRUE(LeftoverParts().empty());
    }
}

TEST_F(VersionFileFetch, EveryFetchReachesTheServer) {
    server_.SetReply(kPage, ScriptedReply::Ok("first"));
    ASSERT_EQ(FetchVersionFile(locations_, site_), 0);
    server_.SetReply(kPage, ScriptedReply::Ok("second"));
    ASSERT_EQ(FetchVersionFile(locations_, site_), 0);
    EXPECT_EQ(ReadBytes(VersionFile()), "second");
    EXPECT_EQ(server_.Requests().size(), 2u);
}

TEST_F(VersionFileFetch, OutcomeCarriesWhatAReportNeeds) {
    server_.SetReply(kPage, ScriptedReply::Status(403, "Forbidden"));
    const FetchResult result = FetchVersionFileResult(locations_, site_);
    EXPECT_EQ(result.outcome, FetchOutcome::BadStatus);
    EXPECT_EQ(result.status, 403u);
    EXPECT_EQ(result.url, L"http://" + server_.HostPortW() + L"/update/update.html");
    EXPECT_EQ(result.destination, VersionFile());
}

TEST_F(VersionFileFetch, UpdateHostKeyOfTheConfigFileNamesTheSite) {
    WriteIniString(locations_.GetConfigFilePath(), L"UpdateHost", L"");
    EXPECT_EQ(UpdateSite::FromConfigured(ReadUpdateHost(locations_)).host, ZORVIK_UPDATE_HOST);

    WriteIniString(locations_.GetConfigFilePath(), L"UpdateHost", server_.HostPortW());
    server_.SetReply(kPage, ScriptedReply::Ok("[Zorvik]\r\n"));
    EXPECT_EQ(FetchVersionFile(locations_, UpdateSite::FromConfigured(ReadUpdateHost(locations_))), 0);
    EXPECT_EQ(server_.Requests().size(), 1u);
}

TEST(VersionFileDiagnostic, TextPerOutcome) {
    struct Case {
        FetchOutcome outcome;
        DWORD status;
        DWORD error;
        std::wstring text;
    };
    const Case cases[] = {
        {FetchOutcome::Done, 200, 0, L""},
        {FetchOutcome::ConnectionFailed, 0, ERROR_INTERNET_CANNOT_CONNECT, L""},
        {FetchOutcome::NoResponse, 0, ERROR_INTERNET_UNRECOGNIZED_SCHEME, L"更新信息链接无效!"},
        {FetchOutcome::BadStatus, 404, 0, L"打开网页文件出错，错误码：404 "},
        {FetchOutcome::BadStatus, 0, ERROR_HTTP_HEADER_NOT_FOUND, L"打开网页文件出错，错误码：12150 "},
        {FetchOutcome::CannotCreate, 200, ERROR_ACCESS_DENIED, L"创建接受文件错误!"},
        {FetchOutcome::Incomplete, 200, 0, L""},
    };
    for (const Case& c : cases) {
        FetchResult result;
        result.outcome = c.outcome;
        result.status = c.status;
        result.error = c.error;
        EXPECT_EQ(VersionFileDiagnostic(result), c.text) << static_cast<int>(c.outcome);
    }
}

class HttpFetchTest : public ::testing::Test {
protected:
    TempDir dir_;
    LoopbackHttpServer server_;

    FetchRequest WorkerRequest(const std::string& path, const std::wstring& destination) const {
        FetchRequest request;
        request.url = server_.Url(path);
        request.destination = destination;
        request.chunkBytes = kWorkerChunkBytes;
        request.timeouts = kWorkerFetchTimeouts;
        return request;
    }
};

TEST_F(HttpFetchTest, WorkerChunksIntoANewSubFolder) {
    const std::uint64_t length = 3 * kWorkerChunkBytes + 12345;
    server_.SetReply("/update/Dicom.Core.dll", ScriptedReply::Pattern(length));
    const std::wstring destination = dir_ / L"zvTemp\\doRozavovu\\Dicom.Core.dll";

    const FetchResult result = HttpFetch(WorkerRequest("/update/Dicom.Core.dll", destination));

    EXPECT_EQ(result.outcome, FetchOutcome::Done);
    EXPECT_EQ(result.bytes, length);
    const std::optional<std::string> stored = ReadBytes(destination);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->size(), length);
    EXPECT_TRUE(*stored == PatternBytes(length)) << "the stored bytes differ from the body";
    EXPECT_EQ(FilesIn(dir_ / L"zvTemp\\doRozavovu\\"), std::vector<std::wstring>{L"Dicom.Core.dll"});
}

TEST_F(HttpFetchTest, UrlsThatWinInetDoesNotServe) {
    for (const wchar_t* url : {L"zz://127.0.0.1/update/update.html", L"http:///update/update.html"}) {
        FetchRequest request;
        request.url = url;
        request.destination = dir_ / L"out.bin";
        EXPECT_EQ(HttpFetch(request).outcome, FetchOutcome::NoResponse) << url;
    }
}

TEST_F(HttpFetchTest, CancelFromAnotherThreadStopsATrickle) {
    server_.SetReply("/slow", TrickleForever());
    const std::wstring destination = dir_ / L"slow.bin";
    FetchCancel cancel;
    FetchRequest request = WorkerRequest("/slow", destination);
    request.cancel = &cancel;

    std::thread canceller([&] {
        server_.WaitForRequests(1, 5000);
        Sleep(500);
        cancel.Cancel();
    });
    const auto started = std::chrono::steady_clock::now();
    const FetchResult result = HttpFetch(request);
    const auto took = std::chrono::steady_clock::now() - started;
    canceller.join();

    EXPECT_EQ(result.outcome, FetchOutcome::Cancelled);
    EXPECT_LT(took, std::chrono::seconds(3));
    EXPECT_TRUE(FilesIn(dir_.Path()).empty());
}

TEST_F(HttpFetchTest, CancelledTokenStopsBeforeAnyRequest) {
    server_.SetReply("/file", ScriptedReply::Ok("x"));
    FetchCancel cancel;
    cancel.Cancel();
    FetchRequest request = WorkerRequest("/file", dir_ / L"file.bin");
    request.cancel = &cancel;

    EXPECT_EQ(HttpFetch(request).outcome, FetchOutcome::Cancelled);
    EXPECT_FALSE(server_.WaitForRequests(1, 300));
    EXPECT_TRUE(FilesIn(dir_.Path()).empty());
}

TEST_F(HttpFetchTest, TokenServesOneFetchAfterAnother) {
    server_.SetReply("/file", ScriptedReply::Ok("body"));
    FetchCancel cancel;
    FetchRequest request = WorkerRequest("/file", dir_ / L"file.bin");
    request.cancel = &cancel;
    request.timeouts.totalMs = 200;  // the first fetch ends long before; its deadline must not linger
    EXPECT_EQ(HttpFetch(request).outcome, FetchOutcome::Done);
    Sleep(400);
    EXPECT_EQ(HttpFetch(request).outcome, FetchOutcome::Done);
}

}  // namespace
