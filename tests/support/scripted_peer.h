// A scripted HTTP peer on an ephemeral loopback port. Each connection carries one request: the
// peer records it exactly as it arrived, asks the script for the reply and plays the reply's
// steps (bytes, pauses), then closes. As a proxy it simply answers what it is sent.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velkari::testing {

struct ReceivedRequest {
    std::string raw;  // everything that arrived, head and body
    std::string head; // the request line and header lines, up to and including the empty line
    std::string body;

    std::string RequestLine() const;
    // The value of the first header line of that name, in any letter case; "" when absent.
    std::string Header(std::string_view name) const;
    bool HasHeader(std::string_view name) const;
    // The header lines as they arrived, without the request line and the empty line.
    std::vector<std::string> HeaderLines() const;
};

class Reply {
  public:
    // A complete response: status line, the given header lines, Content-Length (unless given)
    // and Connection: close, then the body.
    static Reply Http(int status, std::vector<std::string> headerLines = {}, std::string body = {});
    // Bytes sent as they are, nothing added.
    static Reply Raw(std::string bytes);

    Reply& ThenPause(std::chrono::milliseconds pause);
    Reply& ThenSend(std::string bytes);
    // Sends `bytes` `times` times over without holding the whole run in memory.
    Reply& ThenSendRepeated(std::string bytes, size_t times);

    struct Step {
        std::string bytes;
        std::chrono::milliseconds pause{0};
        size_t times = 1;
    };
    const std::vector<Step>& Steps() const { return steps_; }

  private:
    std::vector<Step> steps_;
};

class ScriptedPeer {
  public:
    using Script = std::function<Reply(const ReceivedRequest&)>;
    // Listens on `port` of the loopback address, or on an ephemeral one when it is 0.
    explicit ScriptedPeer(Script script, int port = 0);
    ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    // 0 when the port could not be had.
    int Port() const;
    // "127.0.0.1:" + port, as an address or proxy names it.
    std::string HostAndPort() const;
    // "http://127.0.0.1:" + port + path.
    std::string Url(std::string_view path) const;
    std::vector<ReceivedRequest> Requests() const;
    // Swaps the script for the requests that come next.
    void SetScript(Script script);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// A script that gives every request the same reply.
ScriptedPeer::Script Always(const Reply& reply);

} // namespace velkari::testing
