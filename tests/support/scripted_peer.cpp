#include "scripted_peer.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace velkari::testing {

namespace {

constexpr DWORD kReceiveTimeoutMs = 10000;

std::string Lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string Trim(std::string_view s) {
    const size_t begin = s.find_first_not_of(" \t");
    const size_t end = s.find_last_not_of(" \t");
    return begin == std::string_view::npos ? std::string()
                                           : std::string(s.substr(begin, end - begin + 1));
}

const char* ReasonFor(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 302:
        return "Found";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    default:
        return "Scripted";
    }
}

class WinsockSession {
  public:
    WinsockSession() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~WinsockSession() { WSACleanup(); }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
};

class Socket {
  public:
    explicit Socket(SOCKET s = INVALID_SOCKET) : s_(s) {}
    ~Socket() {
        if (s_ != INVALID_SOCKET) {
            closesocket(s_);
        }
    }
    Socket(Socket&& other) noexcept : s_(other.s_) { other.s_ = INVALID_SOCKET; }
    Socket& operator=(Socket&& other) noexcept {
        std::swap(s_, other.s_);
        return *this;
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    SOCKET get() const { return s_; }

  private:
    SOCKET s_;
};

} // namespace

std::string ReceivedRequest::RequestLine() const {
    return head.substr(0, head.find("\r\n"));
}

std::vector<std::string> ReceivedRequest::HeaderLines() const {
    std::vector<std::string> lines;
    size_t pos = head.find("\r\n");
    while (pos != std::string::npos) {
        const size_t next = head.find("\r\n", pos + 2);
        if (next == std::string::npos || next == pos + 2) {
            break;
        }
        lines.push_back(head.substr(pos + 2, next - pos - 2));
        pos = next;
    }
    return lines;
}

std::string ReceivedRequest::Header(std::string_view name) const {
    const std::string wanted = Lower(name);
    for (const std::string& line : HeaderLines()) {
        const size_t colon = line.find(':');
        if (colon != std::string::npos && Lower(Trim(line.substr(0, colon))) == wanted) {
            return Trim(line.substr(colon + 1));
        }
    }
    return std::string();
}

bool ReceivedRequest::HasHeader(std::string_view name) const {
    const std::string wanted = Lower(name);
    for (const std::string& line : HeaderLines()) {
        if (Lower(line.substr(0, line.find(':'))) == wanted) {
            return true;
        }
    }
    return false;
}

Reply Reply::Http(int status, std::vector<std::string> headerLines, std::string body) {
    std::string head = "HTTP/1.1 " + std::to_string(status) + " " + ReasonFor(status) + "\r\n";
    bool hasLength = false;
    for (const std::string& line : headerLines) {
        head += line + "\r\n";
        hasLength = hasLength || Lower(line).rfind("content-length:", 0) == 0;
    }
    if (!hasLength) {
        head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    }
    head += "Connection: close\r\n\r\n";
    return Raw(head + body);
}

Reply Reply::Raw(std::string bytes) {
    Reply reply;
    reply.steps_.push_back({std::move(bytes), {}});
    return reply;
}

Reply& Reply::ThenPause(std::chrono::milliseconds pause) {
    steps_.push_back({std::string(), pause});
    return *this;
}

Reply& Reply::ThenSend(std::string bytes) {
    steps_.push_back({std::move(bytes), {}});
    return *this;
}

Reply& Reply::ThenSendRepeated(std::string bytes, size_t times) {
    steps_.push_back({std::move(bytes), {}, times});
    return *this;
}

struct ScriptedPeer::State {
    WinsockSession winsock;
    Socket listener;
    int port = 0;
    std::atomic<bool> stopping{false};
    mutable std::mutex mutex;
    Script script;
    std::vector<ReceivedRequest> requests;
    std::vector<std::thread> connections;
    std::thread acceptor;

    void AcceptLoop();
    void Serve(Socket connection);
    bool Receive(SOCKET s, ReceivedRequest& request);
    void Play(SOCKET s, const Reply& reply);
    bool SendAll(SOCKET s, const std::string& bytes);
    // Sleeps in short slices, so that a stopping peer does not wait out a long pause.
    void Pause(std::chrono::milliseconds pause);
};

void ScriptedPeer::State::AcceptLoop() {
    while (!stopping) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(listener.get(), &readable);
        timeval wait{0, 20000};
        if (select(0, &readable, nullptr, nullptr, &wait) <= 0) {
            continue;
        }
        Socket connection(accept(listener.get(), nullptr, nullptr));
        if (connection.get() == INVALID_SOCKET) {
            continue;
        }
        std::lock_guard<std::mutex> lock(mutex);
        connections.emplace_back([this, c = std::make_shared<Socket>(std::move(
                                            connection))]() mutable { Serve(std::move(*c)); });
    }
}

bool ScriptedPeer::State::Receive(SOCKET s, ReceivedRequest& request) {
    DWORD timeout = kReceiveTimeoutMs;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    char buffer[4096];
    size_t headEnd = std::string::npos;
    size_t wanted = 0;
    while (!stopping) {
        if (headEnd != std::string::npos && request.raw.size() >= headEnd + wanted) {
            break;
        }
        const int got = recv(s, buffer, sizeof buffer, 0);
        if (got <= 0) {
            break;
        }
        request.raw.append(buffer, static_cast<size_t>(got));
        if (headEnd == std::string::npos &&
            (headEnd = request.raw.find("\r\n\r\n")) != std::string::npos) {
            headEnd += 4;
            request.head = request.raw.substr(0, headEnd);
            const std::string length = request.Header("Content-Length");
            wanted = std::strtoul(length.c_str(), nullptr, 10);
        }
    }
    if (headEnd == std::string::npos) {
        request.head = request.raw;
        return !request.raw.empty();
    }
    request.body = request.raw.substr(headEnd);
    return true;
}

bool ScriptedPeer::State::SendAll(SOCKET s, const std::string& bytes) {
    for (size_t sent = 0; sent < bytes.size();) {
        const size_t piece = std::min<size_t>(bytes.size() - sent, 1 << 16);
        const int n = stopping ? -1 : send(s, bytes.data() + sent, static_cast<int>(piece), 0);
        if (n <= 0) {
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    return true;
}

void ScriptedPeer::State::Pause(std::chrono::milliseconds pause) {
    const auto until = std::chrono::steady_clock::now() + pause;
    while (!stopping && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void ScriptedPeer::State::Play(SOCKET s, const Reply& reply) {
    for (const Reply::Step& step : reply.Steps()) {
        for (size_t i = 0; i < step.times; ++i) {
            if (!SendAll(s, step.bytes)) {
                return;
            }
        }
        Pause(step.pause);
    }
}

void ScriptedPeer::State::Serve(Socket connection) {
    ReceivedRequest request;
    if (!Receive(connection.get(), request)) {
        return;
    }
    Script current;
    {
        std::lock_guard<std::mutex> lock(mutex);
        requests.push_back(request);
        current = script;
    }
    Play(connection.get(), current(request));
    shutdown(connection.get(), SD_SEND);
}

ScriptedPeer::ScriptedPeer(Script script, int port) : state_(std::make_unique<State>()) {
    state_->script = std::move(script);
    state_->listener = Socket(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(port));
    int size = sizeof address;
    if (bind(state_->listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        listen(state_->listener.get(), SOMAXCONN) == 0 &&
        getsockname(state_->listener.get(), reinterpret_cast<sockaddr*>(&address), &size) == 0) {
        state_->port = ntohs(address.sin_port);
    }
    state_->acceptor = std::thread([state = state_.get()] { state->AcceptLoop(); });
}

ScriptedPeer::~ScriptedPeer() {
    state_->stopping = true;
    state_->acceptor.join();
    std::vector<std::thread> connections;
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        connections.swap(state_->connections);
    }
    for (std::thread& t : connections) {
        t.join();
    }
}

int ScriptedPeer::Port() const {
    return state_->port;
}

std::string ScriptedPeer::HostAndPort() const {
    return "127.0.0.1:" + std::to_string(Port());
}

std::string ScriptedPeer::Url(std::string_view path) const {
    return "http://" + HostAndPort() + std::string(path);
}

std::vector<ReceivedRequest> ScriptedPeer::Requests() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->requests;
}

void ScriptedPeer::SetScript(Script script) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->script = std::move(script);
}

ScriptedPeer::Script Always(const Reply& reply) {
    return [reply](const ReceivedRequest&) { return reply; };
}

} // namespace velkari::testing
