#include "LoopbackHttpServer.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>

#include "framework/UniqueHandle.h"

namespace {

struct SocketTraits {
    using Handle = SOCKET;
    static Handle None() { return INVALID_SOCKET; }
    static void Close(Handle s) { ::closesocket(s); }
};
using Socket = UniqueHandle<SocketTraits>;

// Every blocking step waits in slices of this length and looks at the stop flag in between.
constexpr unsigned kSliceMs = 50;
constexpr unsigned kRequestHeadTimeoutMs = 5000;
constexpr std::size_t kMaxRequestHead = 64 * 1024;
constexpr unsigned kLingerMs = 1000;

bool EqualsAsciiNoCase(const std::string& a, const std::string& b) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
               return lower(x) == lower(y);
           });
}

std::string Trim(const std::string& s) {
    std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    std::size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

// Waits until the socket is readable (forWrite false) or writable; 1 ready, 0 not yet, -1 error.
int WaitReady(SOCKET s, bool forWrite, unsigned ms) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv{static_cast<long>(ms / 1000), static_cast<long>((ms % 1000) * 1000)};
    int n = forWrite ? ::select(0, nullptr, &set, nullptr, &tv) : ::select(0, &set, nullptr, nullptr, &tv);
    return n < 0 ? -1 : (n > 0 ? 1 : 0);
}

bool SetNonBlocking(SOCKET s) {
    u_long on = 1;
    return ::ioctlsocket(s, FIONBIO, &on) == 0;
}

std::optional<RecordedRequest> ParseRequestHead(const std::string& head) {
    RecordedRequest request;
    std::size_t lineEnd = head.find("\r\n");
    std::string first = head.substr(0, lineEnd);
    std::size_t sp1 = first.find(' ');
    std::size_t sp2 = first.find(' ', sp1 == std::string::npos ? sp1 : sp1 + 1);
    if (sp1 == std::string::npos || sp2 == std::string::npos) return std::nullopt;
    request.method = first.substr(0, sp1);
    request.target = first.substr(sp1 + 1, sp2 - sp1 - 1);
    request.version = first.substr(sp2 + 1);
    std::size_t pos = lineEnd + 2;
    while (pos < head.size()) {
        std::size_t end = head.find("\r\n", pos);
        if (end == std::string::npos) end = head.size();
        std::string line = head.substr(pos, end - pos);
        pos = end + 2;
        if (line.empty()) break;
        std::size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        request.headers.emplace_back(Trim(line.substr(0, colon)), Trim(line.substr(colon + 1)));
    }
    return request;
}

void FillBody(const ScriptedReply& reply, std::uint64_t offset, char* out, std::size_t n) {
    if (reply.patternLength) {
        for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<char>(LoopbackHttpServer::PatternByte(offset + i));
    } else {
        std::copy_n(reply.body.data() + offset, n, out);
    }
}

}  // namespace

ScriptedReply ScriptedReply::Ok(std::string body) {
    ScriptedReply r;
    r.body = std::move(body);
    return r;
}

ScriptedReply ScriptedReply::Status(int status, std::string reason, std::string body) {
    ScriptedReply r;
    r.status = status;
    r.reason = std::move(reason);
    r.body = std::move(body);
    return r;
}

ScriptedReply ScriptedReply::Pattern(std::uint64_t length) {
    ScriptedReply r;
    r.patternLength = length;
    return r;
}

ScriptedReply ScriptedReply::Silent() {
    ScriptedReply r;
    r.neverAnswer = true;
    return r;
}

std::optional<std::string> RecordedRequest::Header(const std::string& name) const {
    for (const auto& [key, value] : headers)
        if (EqualsAsciiNoCase(key, name)) return value;
    return std::nullopt;
}

struct LoopbackHttpServer::Connection {
    Socket socket;
    std::thread thread;
};

unsigned char LoopbackHttpServer::PatternByte(std::uint64_t offset) {
    std::uint64_t x = (offset + 1) * 0x9E3779B97F4A7C15ull;
    x ^= x >> 29;
    x *= 0xBF58476D1CE4E5B9ull;
    return static_cast<unsigned char>(x >> 56);
}

LoopbackHttpServer::LoopbackHttpServer() {
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
    winsockStarted_ = true;

    Socket listener(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!listener) return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int length = sizeof(address);
    if (::bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(listener.get(), SOMAXCONN) != 0 ||
        ::getsockname(listener.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        !SetNonBlocking(listener.get()))
        return;
    port_ = ntohs(address.sin_port);
    // The accept thread owns the listener and closes it when it ends.
    acceptThread_ = std::thread([this, s = listener.release()] { AcceptLoop(s); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    Stop();
    if (winsockStarted_) ::WSACleanup();
}

std::string LoopbackHttpServer::HostPort() const { return "127.0.0.1:" + std::to_string(port_); }

std::wstring LoopbackHttpServer::HostPortW() const { return L"127.0.0.1:" + std::to_wstring(port_); }

std::wstring LoopbackHttpServer::Url(const std::string& path) const {
    return L"http://" + HostPortW() + std::wstring(path.begin(), path.end());
}

void LoopbackHttpServer::SetReply(const std::string& target, ScriptedReply reply) {
    std::lock_guard lock(mutex_);
    replies_[target] = std::move(reply);
}

std::vector<RecordedRequest> LoopbackHttpServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

bool LoopbackHttpServer::WaitForRequests(std::size_t count, unsigned timeoutMs) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return requests_.size() >= count; });
}

void LoopbackHttpServer::Stop() {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) return;
        stopping_ = true;
    }
    changed_.notify_all();
    if (acceptThread_.joinable()) acceptThread_.join();
    // No new connections now; each connection thread sees the flag within one slice.
    for (auto& connection : connections_)
        if (connection->thread.joinable()) connection->thread.join();
    connections_.clear();
}

bool LoopbackHttpServer::Stopping() const {
    std::lock_guard lock(mutex_);
    return stopping_;
}

bool LoopbackHttpServer::PauseOrStop(unsigned timeoutMs) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return stopping_; });
}

ScriptedReply LoopbackHttpServer::ReplyFor(const std::string& target) const {
    std::lock_guard lock(mutex_);
    auto it = replies_.find(target);
    if (it != replies_.end()) return it->second;
    return ScriptedReply::Status(404, "Not Found", "not found");
}

void LoopbackHttpServer::Record(RecordedRequest request) {
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(std::move(request));
    }
    changed_.notify_all();
}

void LoopbackHttpServer::AcceptLoop(std::uintptr_t listenerSocket) {
    const Socket listener(static_cast<SOCKET>(listenerSocket));
    while (!Stopping()) {
        if (WaitReady(listener.get(), false, kSliceMs) <= 0) continue;
        Socket client(::accept(listener.get(), nullptr, nullptr));
        if (!client) continue;
        if (!SetNonBlocking(client.get())) continue;
        auto connection = std::make_unique<Connection>();
        connection->socket = std::move(client);
        Connection& c = *connection;
        // Only this thread touches the list until Stop has joined it.
        connections_.push_back(std::move(connection));
        c.thread = std::thread([this, &c] { Serve(c); });
    }
}

void LoopbackHttpServer::Serve(Connection& connection) {
    const SOCKET s = connection.socket.get();

    // Sends all bytes, giving up when the server stops or the peer goes away.
    auto sendAll = [&](const char* data, std::size_t n) {
        while (n > 0) {
            if (Stopping()) return false;
            int ready = WaitReady(s, true, kSliceMs);
            if (ready < 0) return false;
            if (ready == 0) continue;
            int sent = ::send(s, data, static_cast<int>(std::min<std::size_t>(n, 1 << 20)), 0);
            if (sent == SOCKET_ERROR) {
                if (::WSAGetLastError() == WSAEWOULDBLOCK) continue;
                return false;
            }
            data += sent;
            n -= static_cast<std::size_t>(sent);
        }
        return true;
    };
    auto holdUntilStop = [&] {
        while (!PauseOrStop(kSliceMs)) {
        }
    };

    // The request head, up to its empty line.
    std::string head;
    auto started = std::chrono::steady_clock::now();
    while (head.find("\r\n\r\n") == std::string::npos) {
        if (Stopping() || head.size() > kMaxRequestHead) return;
        if (std::chrono::steady_clock::now() - started > std::chrono::milliseconds(kRequestHeadTimeoutMs)) return;
        int ready = WaitReady(s, false, kSliceMs);
        if (ready < 0) return;
        if (ready == 0) continue;
        char buffer[4096];
        int got = ::recv(s, buffer, sizeof(buffer), 0);
        if (got == 0) return;
        if (got == SOCKET_ERROR) {
            if (::WSAGetLastError() == WSAEWOULDBLOCK) continue;
            return;
        }
        head.append(buffer, static_cast<std::size_t>(got));
    }
    std::optional<RecordedRequest> request = ParseRequestHead(head.substr(0, head.find("\r\n\r\n") + 2));
    if (!request) return;
    const ScriptedReply reply = ReplyFor(request->target);
    Record(*request);

    if (reply.neverAnswer) {
        holdUntilStop();
        return;
    }

    const std::uint64_t length = reply.BodyLength();
    std::string out = "HTTP/1.1 " + std::to_string(reply.status) + " " + reply.reason + "\r\n";
    bool connectionHeader = false;
    for (const std::string& line : reply.headers) {
        out += line + "\r\n";
        if (EqualsAsciiNoCase(line.substr(0, line.find(':')), "Connection")) connectionHeader = true;
    }
    if (reply.announceLength) out += "Content-Length: " + std::to_string(length) + "\r\n";
    if (!connectionHeader) out += "Connection: close\r\n";
    out += "\r\n";
    if (!sendAll(out.data(), out.size())) return;

    const std::uint64_t toSend = reply.sendOnly ? std::min(*reply.sendOnly, length) : length;
    const std::size_t piece = reply.trickleBytes ? reply.trickleBytes : 256 * 1024;
    std::vector<char> buffer(std::min<std::uint64_t>(piece, std::max<std::uint64_t>(toSend, 1)));
    for (std::uint64_t offset = 0; offset < toSend;) {
        if (reply.trickleBytes && PauseOrStop(reply.trickleMs)) return;
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), toSend - offset));
        FillBody(reply, offset, buffer.data(), n);
        if (!sendAll(buffer.data(), n)) return;
        offset += n;
    }
    if (reply.sendOnly && reply.holdAfterSendOnly) {
        holdUntilStop();
        return;
    }

    // Lingering close: end our side, then let the client read everything and close first,
    // so that no reset can throw away bytes it has not read yet.
    ::shutdown(s, SD_SEND);
    started = std::chrono::steady_clock::now();
    while (!Stopping() && std::chrono::steady_clock::now() - started < std::chrono::milliseconds(kLingerMs)) {
        int ready = WaitReady(s, false, kSliceMs);
        if (ready < 0) break;
        if (ready == 0) continue;
        char drain[4096];
        int got = ::recv(s, drain, sizeof(drain), 0);
        if (got == 0 || (got == SOCKET_ERROR && ::WSAGetLastError() != WSAEWOULDBLOCK)) break;
    }
}

unsigned short ClosedLoopbackPort() {
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) return 0;
    unsigned short port = 0;
    {
        Socket s(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int length = sizeof(address);
        if (s && ::bind(s.get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
            ::getsockname(s.get(), reinterpret_cast<sockaddr*>(&address), &length) == 0)
            port = ntohs(address.sin_port);
    }
    ::WSACleanup();
    return port;
}
