// A whole run of the fetch worker over a 200-lesson course from loopback peers that answer at
// once, against the same 401 requests made back to back through FetchPageText and
// ResolveVideoAddress alone; then runs of 1,000 and 5,000 lessons with the rows they left and
// the memory they took.
#include "app/app.h"
#include "http/http.h"
#include "support/scripted_peer.h"

#include <windows.h>

#include <commctrl.h>
#include <ole2.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <future>
#include <string>
#include <thread>

namespace {

using velkari::CourseSettings;
using velkari::Text;
using velkari::testing::ReceivedRequest;
using velkari::testing::Reply;
using velkari::testing::ScriptedPeer;

constexpr char kUserId[] = "0123456789ABCDEF";

std::string CoursePage(int lessons) {
    std::string page = "\xE7\x9B\xAE\xE5\xBD\x95 start<ul>\n"; // 目录 in UTF-8
    for (int i = 1; i <= lessons; ++i) {
        page += "<li><a href=\"/course/video-" + std::to_string(i) +
                "\">&nbsp;&nbsp;&nbsp;\xE7\xAC\xAC " + std::to_string(i) + "</a></li>\n";
    }
    return page + "</ul>\xE7\x9B\xAE\xE5\xBD\x95 end";
}

struct Course {
    explicit Course(int lessons)
        : page(CoursePage(lessons)), site([this](const ReceivedRequest& request) {
              if (request.RequestLine().find("video-5089") != std::string::npos) {
                  return Reply::Http(200, {}, page);
              }
              return Reply::Http(200, {}, "<p>player('#cc_ABC123');</p>");
          }),
          video(velkari::testing::Always(
              Reply::Http(302, {"Location: http://127.0.0.1:1/video/ABC123.mp4"}))),
          settings{Text(site.HostAndPort().c_str()), Text(video.HostAndPort().c_str()), kUserId} {}

    std::string page;
    ScriptedPeer site;
    ScriptedPeer video;
    CourseSettings settings;
};

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

size_t PeakWorkingSet() {
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize;
}

// The requests of a run and nothing else.
double BareRequests(const Course& course, int lessons) {
    const auto start = std::chrono::steady_clock::now();
    velkari::FetchPageText(Text(course.site.Url("/course/video-5089").c_str()));
    for (int i = 1; i <= lessons; ++i) {
        velkari::FetchPageText(velkari::LessonPageAddress(course.settings, velkari::ToText(i)));
        velkari::ResolveVideoAddress(velkari::RedirectAddress(course.settings, "ABC123"),
                                     course.settings.videoServiceHost);
    }
    return Seconds(start);
}

// Closes the completion message as soon as it is activated, without polling for it.
LRESULT CALLBACK CloseMessageBoxes(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        PostMessageW(reinterpret_cast<HWND>(wParam), WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class MessageBoxCloser {
  public:
    MessageBoxCloser()
        : hook_(SetWindowsHookExW(WH_CBT, CloseMessageBoxes, nullptr, GetCurrentThreadId())) {}
    ~MessageBoxCloser() { UnhookWindowsHookEx(hook_); }
    MessageBoxCloser(const MessageBoxCloser&) = delete;
    MessageBoxCloser& operator=(const MessageBoxCloser&) = delete;

  private:
    HHOOK hook_;
};

// The worker's whole run on this thread, the main window served by another.
double WholeRun(const Course& course, HWND window, int* rows) {
    const MessageBoxCloser closer;
    SetWindowTextW(
        GetDlgItem(window, 102),
        velkari::ToWide(Text(course.site.Url("/course/video-5089").c_str()), 936).c_str());
    const auto start = std::chrono::steady_clock::now();
    velkari::FetchCourseList(course.settings);
    const double seconds = Seconds(start);
    *rows = static_cast<int>(SendMessageW(GetDlgItem(window, 104), LVM_GETITEMCOUNT, 0, 0));
    return seconds;
}

} // namespace

int main() {
    std::promise<HWND> created;
    std::thread mainThread([&created] {
        OleInitialize(nullptr);
        velkari::InitGlobals();
        HWND window = velkari::CreateMainWindow(GetModuleHandleW(nullptr), CourseSettings{});
        created.set_value(window);
        velkari::RunMessageLoop(window);
        velkari::ReleaseGlobals();
        OleUninitialize();
    });
    HWND window = created.get_future().get();
    CoInitialize(nullptr);

    // Three rounds of each, taken in turn; the best of each stands for it, which keeps the
    // noise of a shared machine out of the ratio.
    const Course course(200);
    int rows = 0;
    double bare = 1e9;
    double run = 1e9;
    for (int round = 0; round < 3; ++round) {
        bare = std::min(bare, BareRequests(course, 200));
        run = std::min(run, WholeRun(course, window, &rows));
    }
    std::printf("200 lessons: whole run %.0f ms (%d rows), the same 401 requests alone %.0f ms, "
                "ratio %.3f (best of 3 each)\n",
                run * 1000, rows, bare * 1000, run / bare);

    for (int lessons : {1000, 5000}) {
        const Course large(lessons);
        const size_t before = PeakWorkingSet();
        const double seconds = WholeRun(large, window, &rows);
        std::printf("%d lessons: %d rows in %.1f s, peak working set %.1f MB (%.1f MB more)\n",
                    lessons, rows, seconds, PeakWorkingSet() / 1048576.0,
                    (PeakWorkingSet() - before) / 1048576.0);
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
    mainThread.join();
    return 0;
}
