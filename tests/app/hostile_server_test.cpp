// The page request, the resolver and the whole worker against servers that misbehave.
#include "http/http.h"
#include "scraper/scraper.h"
#include "support/scripted_peer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <string>

namespace velkari {
namespace {

using namespace std::chrono_literals;
using testing::Always;
using testing::Reply;
using testing::ScriptedPeer;

// Accepts, reads the request and then says nothing for far longer than any wait.
const Reply kSilence = Reply::Raw("").ThenPause(10min);

TEST(HostileServer, SilentServersAreGivenUpOn) {
    const ScriptedPeer site(Always(kSilence));
    const ScriptedPeer video(Always(kSilence));
    const auto start = std::chrono::steady_clock::now();
    auto page = std::async(std::launch::async, [&] {
        return FetchPageText(Text(site.Url("/course/video-5089").c_str()));
    });
    auto address = std::async(std::launch::async, [&] {
        return ResolveVideoAddress(
            Text(video.Url("/servlet/redirecttofile?userid=0123456789ABCDEF&videoid=1").c_str()),
            Text(video.HostAndPort().c_str()));
    });
    // A bound for a hang, far above the waits themselves.
    ASSERT_EQ(page.wait_for(90s), std::future_status::ready);
    ASSERT_EQ(address.wait_for(1min), std::future_status::ready);
    EXPECT_EQ(page.get(), Text());
    EXPECT_EQ(address.get(), Text());
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(kTransferTimeoutMs) - 1s) << "it did wait";
    std::printf("both gave up after %.1f s\n", std::chrono::duration<double>(waited).count());
}

} // namespace
} // namespace velkari
