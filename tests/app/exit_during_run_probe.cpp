// Runs the whole program against a course site that misbehaves in the way named on the command
// line, closes the main window while the worker is caught in it, and checks on the way that
// the window keeps answering. The program must end at once and cleanly: exit code 0 from the
// program's own exit, not the watchdog's 3 or a check's 5, and no crash.
//   exit_during_run_probe held-lesson | trickling-course-page | silent-site |
//                         endless-lesson-page | fifty-thousand-links
#include "app/app.h"
#include "support/scripted_peer.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

using namespace std::chrono_literals;
using velkari::testing::ReceivedRequest;
using velkari::testing::Reply;
using velkari::testing::ScriptedPeer;

namespace {

constexpr auto kWatchdog = 20s;
// "目录" in UTF-8, as a course page carries it.
constexpr char kCatalogue[] = "\xE7\x9B\xAE\xE5\xBD\x95";

void ExitAfterWatchdog() {
    std::this_thread::sleep_for(kWatchdog);
    std::fputs("the program did not end after its window was closed\n", stderr);
    ExitProcess(3);
}

std::string CoursePage(int lessons) {
    std::string page = std::string(kCatalogue) + " start\n";
    for (int i = 1; i <= lessons; ++i) {
        page += "<a href=\"/course/video-" + std::to_string(i) + "\">&nbsp;&nbsp;&nbsp;L" +
                std::to_string(i) + "</a>\n";
    }
    return page + kCatalogue + " end";
}

bool IsCoursePage(const ReceivedRequest& request) {
    return request.RequestLine().find("/course/video-5089") != std::string::npos;
}

Reply HeadThenSilence() {
    return Reply::Raw("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n").ThenPause(10min);
}

// A page whose body comes one byte a second.
Reply Trickle() {
    Reply reply = Reply::Raw("HTTP/1.1 200 OK\r\nContent-Length: 600\r\n\r\n");
    for (int i = 0; i < 600; ++i) {
        reply.ThenSend("x").ThenPause(1s);
    }
    return reply;
}

// A body without a length that keeps coming, a kilobyte every 10 ms.
Reply Endless() {
    Reply reply = Reply::Raw("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n#cc_");
    for (int i = 0; i < 60000; ++i) {
        reply.ThenSend(std::string(1024, 'v')).ThenPause(10ms);
    }
    return reply;
}

struct Scenario {
    const char* name;
    ScriptedPeer::Script site;
    // Closed once the site has seen this many requests and the list has this many rows.
    size_t requests;
    int rows;
};

Scenario Named(const std::string& name) {
    const Reply lesson = Reply::Http(200, {}, "<script>load('#cc_V1');</script>");
    if (name == "trickling-course-page") {
        return {"trickling-course-page", velkari::testing::Always(Trickle()), 1, 0};
    }
    if (name == "silent-site") {
        return {"silent-site", velkari::testing::Always(Reply::Raw("").ThenPause(10min)), 1, 0};
    }
    if (name == "endless-lesson-page") {
        return {"endless-lesson-page",
                [](const ReceivedRequest& r) {
                    return IsCoursePage(r) ? Reply::Http(200, {}, CoursePage(2)) : Endless();
                },
                2, 0};
    }
    if (name == "fifty-thousand-links") {
        const std::string page = CoursePage(50000);
        return {"fifty-thousand-links",
                [page, lesson](const ReceivedRequest& r) {
                    return IsCoursePage(r) ? Reply::Http(200, {}, page) : lesson;
                },
                50, 20};
    }
    return {"held-lesson",
            [](const ReceivedRequest& r) {
                return IsCoursePage(r) ? Reply::Http(200, {}, CoursePage(2)) : HeadThenSilence();
            },
            2, 0};
}

int Rows(HWND window) {
    return static_cast<int>(SendMessageW(GetDlgItem(window, 104), LVM_GETITEMCOUNT, 0, 0));
}

// The window answers within a second while the worker is caught.
void ExpectAnswering(HWND window) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result) == 0) {
        std::fputs("the window did not answer during the run\n", stderr);
        ExitProcess(5);
    }
}

void CloseDuringRun(const ScriptedPeer& site, size_t requests, int rows) {
    // The window exists before its controls do; it is shown once they are all there.
    HWND window = nullptr;
    while ((window = FindWindowW(L"VelkariMainWindow", nullptr)) == nullptr ||
           !IsWindowVisible(window)) {
        std::this_thread::sleep_for(10ms);
    }
    SendMessageW(GetDlgItem(window, 103), BM_CLICK, 0, 0);
    while (site.Requests().size() < requests || Rows(window) < rows) {
        std::this_thread::sleep_for(10ms);
    }
    for (int i = 0; i < 5; ++i) {
        ExpectAnswering(window);
        std::this_thread::sleep_for(200ms);
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
}

} // namespace

int main(int argc, char** argv) {
    const Scenario scenario = Named(argc > 1 ? argv[1] : "held-lesson");
    ScriptedPeer site(scenario.site);
    ScriptedPeer video(velkari::testing::Always(Reply::Http(302, {"Location: http://x/v.mp4"})));
    std::thread(ExitAfterWatchdog).detach();
    std::thread(CloseDuringRun, std::cref(site), scenario.requests, scenario.rows).detach();
    velkari::AppMain(velkari::CourseSettings{velkari::Text(site.HostAndPort().c_str()),
                                             velkari::Text(video.HostAndPort().c_str()),
                                             "0123456789ABCDEF"});
    std::fprintf(stderr, "%s: the program returned while its worker was still running\n",
                 scenario.name);
    return 4;
}
