#include "scraper/scraper.h"
#include "support/scripted_peer.h"

#include <gtest/gtest.h>

#include <string>

namespace velkari {
namespace {

using testing::Always;
using testing::Reply;
using testing::ScriptedPeer;

constexpr const char* kServiceHost = "video.test:8080";

std::string RedirectPath(const std::string& videoId) {
    return "/servlet/redirecttofile?userid=0123456789ABCDEF&videoid=" + videoId;
}

Text Resolve(const ScriptedPeer& peer, const std::string& videoId) {
    return ResolveVideoAddress(Text(std::string_view(peer.Url(RedirectPath(videoId)))),
                               kServiceHost);
}

TEST(ResolveVideoAddress, GivesTheRedirectTargetWithoutFollowingIt) {
    const std::string target = "http://127.0.0.1:1/files/7A.mp4?key=a%20b&x=1";
    ScriptedPeer peer(Always(Reply::Http(302, {"Location: " + target}, "moved")));
    EXPECT_EQ(Resolve(peer, "7A"), Text(target.c_str()));

    ASSERT_EQ(peer.Requests().size(), 1u);
    const testing::ReceivedRequest request = peer.Requests()[0];
    EXPECT_EQ(request.RequestLine(), "GET " + RedirectPath("7A") + " HTTP/1.1");
    EXPECT_EQ(request.Header("Host"), kServiceHost);
    EXPECT_EQ(request.Header("Connection"), "keep-alive");
    EXPECT_EQ(request.Header("User-Agent"), "stagefright/1.2 (Linux;Android 4.1.1)");
    EXPECT_EQ(request.Header("Accept-Encoding"), "zgzip,deflate");
    int hostLines = 0;
    for (const std::string& line : request.HeaderLines()) {
        hostLines += line.rfind("Host:", 0) == 0 ? 1 : 0;
    }
    EXPECT_EQ(hostLines, 1);
}

TEST(ResolveVideoAddress, AnswersWithoutLocationGiveTheEmptyText) {
    const Reply replies[] = {Reply::Http(200, {}, "<html>video</html>"), Reply::Http(404),
                             Reply::Http(302, {}, ""), Reply::Raw("garbage\r\n\r\n")};
    for (const Reply& reply : replies) {
        ScriptedPeer peer(Always(reply));
        EXPECT_EQ(Resolve(peer, "1"), Text());
    }
}

TEST(ResolveVideoAddress, OddAnswersAndRequests) {
    const std::string further = "http://127.0.0.1:1/servlet/redirecttofile?again=1";
    const std::string longTarget = "http://127.0.0.1:1/" + std::string(8192, 'v');
    ScriptedPeer peer(Always(Reply::Http(301, {"Location: " + further})));
    EXPECT_EQ(Resolve(peer, "2"), Text(further.c_str())) << "a further redirect stays as it is";

    EXPECT_EQ(Resolve(peer, ""), Text(further.c_str()));
    EXPECT_EQ(peer.Requests().back().RequestLine(), "GET " + RedirectPath("") + " HTTP/1.1");

    // Wine's WinHTTP keeps only the first 1460 bytes or so of a header line; Windows keeps all.
    peer.SetScript(Always(Reply::Http(302, {"Location: " + longTarget})));
    const Text got = Resolve(peer, "3");
    EXPECT_GT(got.Length(), 1000);
    EXPECT_EQ(longTarget.compare(0, got.View().size(), got.View()), 0) << "a prefix of the value";
}

TEST(ResolveVideoAddress, FailuresOnTheWayGiveTheEmptyText) {
    std::string closedAddress;
    {
        ScriptedPeer gone(Always(Reply::Http(302, {"Location: http://x/"})));
        closedAddress = gone.Url(RedirectPath("4"));
    }
    EXPECT_EQ(ResolveVideoAddress(Text(closedAddress.c_str()), kServiceHost), Text());

    ScriptedPeer peer(Always(Reply::Http(302, {"Location: http://x/"})));
    EXPECT_EQ(ResolveVideoAddress(Text(peer.Url(RedirectPath("5")).c_str()), kServiceHost,
                                  "No.Such.HttpRequest"),
              Text());
    EXPECT_TRUE(peer.Requests().empty());
    EXPECT_EQ(ResolveVideoAddress("not an address", kServiceHost), Text());
}

} // namespace
} // namespace velkari
