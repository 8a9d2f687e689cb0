// Runs the whole program against a course site that holds a lesson page open, and closes the
// main window while the worker waits for it. The program must end at once and cleanly: exit
// code 0 from the program's own exit, not the watchdog's 3, and no crash.
#include "app/app.h"
#include "support/scripted_peer.h"

#include <cstdio>
#include <string>
#include <thread>

using namespace std::chrono_literals;
using velkari::testing::Reply;
using velkari::testing::ScriptedPeer;

namespace {

constexpr auto kWatchdog = 20s;

void ExitAfterWatchdog() {
    std::this_thread::sleep_for(kWatchdog);
    std::fputs("the program did not end after its window was closed\n", stderr);
    ExitProcess(3);
}

std::string CoursePage() {
    // "目录 start" and "目录 end" in UTF-8, around two lesson links.
    return "\xE7\x9B\xAE\xE5\xBD\x95 start\n"
           "<a href=\"/course/video-1\">&nbsp;&nbsp;&nbsp;one</a>\n"
           "<a href=\"/course/video-2\">&nbsp;&nbsp;&nbsp;two</a>\n"
           "\xE7\x9B\xAE\xE5\xBD\x95 end";
}

// The course page at once; every lesson page only a header, then a minute of silence.
Reply SiteReply(const velkari::testing::ReceivedRequest& request) {
    if (request.RequestLine().find("/course/video-5089") != std::string::npos) {
        return Reply::Http(200, {}, CoursePage());
    }
    return Reply::Raw("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n").ThenPause(60s);
}

void CloseDuringRun(const ScriptedPeer& site) {
    // The window exists before its controls do; it is shown once they are all there.
    HWND window = nullptr;
    while ((window = FindWindowW(L"VelkariMainWindow", nullptr)) == nullptr ||
           !IsWindowVisible(window)) {
        std::this_thread::sleep_for(10ms);
    }
    SendMessageW(GetDlgItem(window, 103), BM_CLICK, 0, 0);
    while (site.Requests().size() < 2) {
        std::this_thread::sleep_for(10ms);
    }
    std::this_thread::sleep_for(100ms);
    PostMessageW(window, WM_CLOSE, 0, 0);
}

} // namespace

int main() {
    ScriptedPeer site(SiteReply);
    ScriptedPeer video(velkari::testing::Always(Reply::Http(302, {"Location: http://x/v.mp4"})));
    std::thread(ExitAfterWatchdog).detach();
    std::thread(CloseDuringRun, std::cref(site)).detach();
    velkari::AppMain(velkari::CourseSettings{velkari::Text(site.HostAndPort().c_str()),
                                             velkari::Text(video.HostAndPort().c_str()),
                                             "0123456789ABCDEF"});
    std::fputs("the program returned while its worker was still running\n", stderr);
    return 4;
}
