// Reads a 64 MB body from loopback with HttpVisit and with a bare loop of the same 1024-byte
// InternetReadFile calls into one preallocated buffer, and prints both times, their ratio and
// the peak memory HttpVisit needed against the body size.
#include "http/http.h"
#include "support/scripted_peer.h"

#include <windows.h>
#include <psapi.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace {

using velkari::testing::ReceivedRequest;
using velkari::testing::Reply;

constexpr size_t kBlock = 64 * 1024;
constexpr size_t kBlocks = 1024; // 64 MB in all

struct Handle {
    HINTERNET h;
    ~Handle() {
        if (h != nullptr) {
            InternetCloseHandle(h);
        }
    }
};

// The same request HttpVisit makes, read by the plainest loop WinInet allows.
size_t BareRead(const std::string& host, int port, std::string& buffer) {
    Handle internet{
        InternetOpenA(velkari::DefaultUserAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0)};
    Handle connection{InternetConnectA(internet.h, host.c_str(), static_cast<INTERNET_PORT>(port),
                                       nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0)};
    Handle request{HttpOpenRequestA(connection.h, "GET", "/body", "HTTP/1.1", nullptr, nullptr,
                                    0x80004010, 0)};
    HttpSendRequestA(request.h, nullptr, 0, nullptr, 0);
    size_t total = 0;
    for (;;) {
        DWORD read = 0;
        InternetReadFile(request.h, buffer.data() + total, 1024, &read);
        if (read == 0) {
            return total;
        }
        total += read;
    }
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

size_t WorkingSet(bool peak) {
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return peak ? counters.PeakWorkingSetSize : counters.WorkingSetSize;
}

} // namespace

int main() {
    const size_t bodySize = kBlock * kBlocks;
    velkari::testing::ScriptedPeer peer([](const ReceivedRequest&) {
        return Reply::Raw("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kBlock * kBlocks) +
                          "\r\nConnection: close\r\n\r\n")
            .ThenSendRepeated(std::string(kBlock, 'v'), kBlocks);
    });
    const velkari::Text url(std::string_view(peer.Url("/body")));

    const size_t before = WorkingSet(false);
    auto start = std::chrono::steady_clock::now();
    size_t received = velkari::BytesLength(velkari::HttpVisit(url));
    double visit = Seconds(start);
    const size_t peak = WorkingSet(true) - before;

    std::string buffer(bodySize + 1024, '\0');
    double bare = 1e9;
    for (int round = 0; round < 3; ++round) {
        start = std::chrono::steady_clock::now();
        const size_t bareReceived = BareRead("127.0.0.1", peer.Port(), buffer);
        bare = std::min(bare, Seconds(start));
        start = std::chrono::steady_clock::now();
        received = std::min<size_t>(received, velkari::BytesLength(velkari::HttpVisit(url)));
        visit = std::min(visit, Seconds(start));
        if (bareReceived != bodySize || received != bodySize) {
            std::printf("short read: %zu and %zu of %zu bytes\n", bareReceived, received, bodySize);
            return 1;
        }
    }
    std::printf("body                 %10.1f MB\n", bodySize / 1048576.0);
    std::printf("HttpVisit            %10.1f ms\n", visit * 1e3);
    std::printf("bare read loop       %10.1f ms\n", bare * 1e3);
    std::printf("time ratio           %10.2f\n", visit / bare);
    std::printf("HttpVisit peak       %10.1f MB (%.2f x body)\n", peak / 1048576.0,
                static_cast<double>(peak) / bodySize);
    return 0;
}
