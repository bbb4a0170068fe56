// A small HTTP/1.1 server on 127.0.0.1 for tests. It listens on an ephemeral port on its own
// thread, answers each request path with a scripted reply, and records every request it got.
// Each connection gets its own thread; every wait is bounded, so Stop (and the destructor)
// ends within a fraction of a second even while a connection is held or a body trickles.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// What the server sends for one path.
struct ScriptedReply {
    int status = 200;
    std::string reason = "OK";
    std::vector<std::string> headers;  // extra header lines without line end, "Name: value"

    // The body: these bytes, or (when patternLength is set) that many bytes of PatternByte,
    // generated on the fly so that huge bodies cost no memory.
    std::string body;
    std::optional<std::uint64_t> patternLength;

    bool announceLength = true;             // send "Content-Length:" with the full body length
    std::optional<std::uint64_t> sendOnly;  // send only this many body bytes, then ...
    bool holdAfterSendOnly = false;         // ... hold the connection (true) or close it (false)

    std::size_t trickleBytes = 0;  // when set, send the body in pieces of this size ...
    unsigned trickleMs = 0;        // ... with this pause before each piece

    bool neverAnswer = false;  // read the request, then hold the connection until Stop

    static ScriptedReply Ok(std::string body);
    static ScriptedReply Status(int status, std::string reason, std::string body = {});
    static ScriptedReply Pattern(std::uint64_t length);
    static ScriptedReply Silent();

    std::uint64_t BodyLength() const { return patternLength ? *patternLength : body.size(); }
};

// One request as the server received it.
struct RecordedRequest {
    std::string method;
    std::string target;   // as written in the request line: "/update/update.html"
    std::string version;  // "HTTP/1.1"
    std::vector<std::pair<std::string, std::string>> headers;

    // The value of the first header of that name (compared without regard to ASCII case).
    std::optional<std::string> Header(const std::string& name) const;
};

class LoopbackHttpServer {
public:
    LoopbackHttpServer();  // listens at once; check Listening()
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    bool Listening() const { return port_ != 0; }
    unsigned short Port() const { return port_; }
    std::string HostPort() const;    // "127.0.0.1:<port>"
    std::wstring HostPortW() const;  // the same, for UpdateSite
    std::wstring Url(const std::string& path) const;

    // Replies apply to requests that arrive afterwards; unknown paths get 404.
    void SetReply(const std::string& target, ScriptedReply reply);

    std::vector<RecordedRequest> Requests() const;
    // Waits (bounded) until at least count requests have arrived.
    bool WaitForRequests(std::size_t count, unsigned timeoutMs) const;

    // Closes the listener and every connection and joins all threads. Idempotent.
    void Stop();

    // The generated body's byte at an offset: not periodic over short runs, and it includes
    // CR, LF and NUL bytes.
    static unsigned char PatternByte(std::uint64_t offset);

private:
    struct Connection;

    void AcceptLoop(std::uintptr_t listenerSocket);
    void Serve(Connection& connection);
    bool Stopping() const;
    // Waits up to timeoutMs, returning early when the server stops; true when stopping.
    bool PauseOrStop(unsigned timeoutMs) const;
    ScriptedReply ReplyFor(const std::string& target) const;
    void Record(RecordedRequest request);

    unsigned short port_ = 0;
    bool winsockStarted_ = false;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool stopping_ = false;
    std::map<std::string, ScriptedReply> replies_;
    std::vector<RecordedRequest> requests_;
    std::vector<std::unique_ptr<Connection>> connections_;

    std::thread acceptThread_;
};

// A loopback port on which nothing listens (bound for a moment, then released).
unsigned short ClosedLoopbackPort();
