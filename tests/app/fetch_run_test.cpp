// Whole runs of the fetch worker and the download commands, through the real main window, with
// scripted peers as the course site and the video service and a stand-in download manager.
#include "app/app.h"
#include "app/window_helpers.h"
#include "support/message_boxes.h"
#include "support/page_text.h"
#include "support/scripted_peer.h"
#include "support/stand_in_download_manager.h"

#include <gtest/gtest.h>

#include <ole2.h>
#include <psapi.h>

#include <cstdio>
#include <future>
#include <map>
#include <optional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace velkari {
namespace {

using namespace std::chrono_literals;
using testing::MessageBoxWatcher;
using testing::PercentEscaped;
using testing::ReceivedRequest;
using testing::Reply;
using testing::RowTexts;
using testing::ScriptedPeer;
using testing::SeenMessageBox;
using testing::StandInDownloadManager;
using testing::Utf8;
using testing::WaitFor;

constexpr char kUserId[] = "0123456789ABCDEF";
constexpr char kCoursePath[] = "/course/video-5089";

std::wstring Wide(const std::string& cp936) {
    return ToWide(Text(std::string_view(cp936)), kTextCodePage);
}

struct Lesson {
    std::string id;
    std::string title; // code page 936, as it must come out
};

// A link line of the catalogue, the title in UTF-8 as a course page carries it.
std::string LinkLine(const Lesson& lesson) {
    return "<li><a href=\"/course/video-" + lesson.id + "\" title=\"x\">&nbsp;&nbsp;&nbsp;" +
           Utf8(lesson.title) + "</a></li>\n";
}

std::string CoursePage(const std::string& catalogue) {
    return "<html><head><title>" + Utf8("课程") + "</title></head><body>\n<h2>" + Utf8("目录") +
           " start</h2><ul>\n" + catalogue + "</ul>" + Utf8("目录") + " end\n</body></html>";
}

std::string CoursePage(const std::vector<Lesson>& lessons) {
    std::string catalogue;
    for (const Lesson& lesson : lessons) {
        catalogue += LinkLine(lesson);
    }
    return CoursePage(catalogue);
}

std::string LessonPage(const std::string& videoId) {
    return "<script>player.load('#cc_" + videoId + "');</script>";
}

std::string VideoAddressOf(const std::string& videoId) {
    return "http://127.0.0.1:1/video/" + videoId + ".mp4";
}

std::string RowTextOf(int number, const std::string& title) {
    return "第 " + std::to_string(number) + " 节课  " + title;
}

std::vector<std::string> Elements(const TextArray& list) {
    std::vector<std::string> elements;
    for (int n = 1; n <= ElementCount(list); ++n) {
        elements.emplace_back(list.Element(n).View());
    }
    return elements;
}

std::string QueryValue(const std::string& requestLine, const std::string& name) {
    const size_t at = requestLine.find(name + "=");
    if (at == std::string::npos) {
        return "";
    }
    const size_t from = at + name.size() + 1;
    return requestLine.substr(from, requestLine.find_first_of("& ", from) - from);
}

// The main window on a thread of its own, playing the program's main thread; the test thread
// is the user. The course site answers from `pages_` (404 elsewhere), the video service
// redirects every video id of the right user to VideoAddressOf(id).
class WholeRunTest : public ::testing::Test {
  protected:
    explicit WholeRunTest(bool withDownloadManager = true)
        : withDownloadManager_(withDownloadManager) {}

    void SetUp() override {
        boxes_ = std::make_unique<MessageBoxWatcher>();
        settings_ = CourseSettings{Text(site_.HostAndPort().c_str()),
                                   Text(video_->HostAndPort().c_str()), kUserId};
        std::promise<HWND> created;
        auto window = created.get_future();
        mainThread_ = std::thread([this, &created] {
            OleInitialize(nullptr);
            InitGlobals();
            if (withDownloadManager_) {
                agent_ = std::make_unique<StandInDownloadManager>();
            }
            HWND main = CreateMainWindow(GetModuleHandleW(nullptr), settings_);
            created.set_value(main);
            if (main != nullptr) {
                ShowWindow(main, SW_SHOW);
                RunMessageLoop(main);
            }
            agent_.reset();
            ReleaseGlobals();
            OleUninitialize();
        });
        window_ = window.get();
        ASSERT_NE(window_, nullptr);
        edit_ = GetDlgItem(window_, 102);
        button_ = GetDlgItem(window_, 103);
        list_ = GetDlgItem(window_, 104);
    }

    void TearDown() override {
        boxes_->CloseHeld();
        EXPECT_TRUE(WaitFor([] { return LiveWorkers() == 0; }, 30s));
        PostMessageW(window_, WM_CLOSE, 0, 0);
        mainThread_.join();
    }

    Reply SiteReply(const ReceivedRequest& request) {
        const std::string line = request.RequestLine();
        const std::string path = line.substr(4, line.rfind(' ') - 4);
        const auto page = pages_.find(path);
        return page == pages_.end() ? Reply::Http(404, {}, "not here") : page->second;
    }

    Reply VideoReply(const ReceivedRequest& request) {
        const std::string line = request.RequestLine();
        if (QueryValue(line, "userid") != kUserId) {
            return Reply::Http(403);
        }
        return Reply::Http(302, {"Location: " + VideoAddressOf(QueryValue(line, "videoid"))});
    }

    void ServeCourse(const std::vector<Lesson>& lessons) {
        pages_[kCoursePath] = Reply::Http(200, {}, CoursePage(lessons));
        for (const Lesson& lesson : lessons) {
            pages_["/course/video-" + lesson.id] =
                Reply::Http(200, {}, LessonPage("V" + lesson.id));
        }
    }

    size_t Completions() const {
        size_t count = 0;
        for (const SeenMessageBox& box : boxes_->Seen()) {
            count += box.caption == Wide("信息：") ? 1 : 0;
        }
        return count;
    }

    void StartRun(const std::string& address) {
        SetWindowTextW(edit_, Wide(address).c_str());
        SendMessageW(button_, BM_CLICK, 0, 0);
    }

    // Types the address, presses the button and waits for the run's completion message.
    void Run(const std::string& address) {
        const size_t before = Completions();
        StartRun(address);
        ASSERT_TRUE(WaitFor([&] { return Completions() > before; }, 30s));
        ASSERT_TRUE(WaitFor([] { return LiveWorkers() == 0; }, 10s));
    }

    void RunCourse() { Run(site_.Url(kCoursePath)); }

    // What the run left: the rows, and both lists, which must be aligned with them.
    void ExpectLessons(const std::vector<std::string>& titles,
                       const std::vector<std::string>& addresses) {
        std::vector<std::wstring> rows;
        for (size_t i = 0; i < titles.size(); ++i) {
            rows.push_back(Wide(RowTextOf(static_cast<int>(i + 1), titles[i])));
        }
        EXPECT_EQ(RowTexts(list_), rows);
        EXPECT_EQ(Elements(LessonTitles()), titles);
        EXPECT_EQ(Elements(VideoAddresses()), addresses);
    }

    void SelectRow(int row) {
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = row < 0 ? 0 : LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row < 0 ? -1 : row),
                     reinterpret_cast<LPARAM>(&item));
    }

    void Command(int id) { SendMessageW(window_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    std::vector<std::string> SitePaths() const {
        std::vector<std::string> paths;
        for (const ReceivedRequest& request : site_.Requests()) {
            const std::string line = request.RequestLine();
            paths.push_back(line.substr(4, line.rfind(' ') - 4));
        }
        return paths;
    }

    std::map<std::string, Reply> pages_;
    ScriptedPeer site_{[this](const ReceivedRequest& r) { return SiteReply(r); }};
    std::unique_ptr<ScriptedPeer> video_ =
        std::make_unique<ScriptedPeer>([this](const ReceivedRequest& r) { return VideoReply(r); });
    CourseSettings settings_;
    bool withDownloadManager_;
    std::unique_ptr<StandInDownloadManager> agent_;
    std::unique_ptr<MessageBoxWatcher> boxes_;
    std::thread mainThread_;
    HWND window_ = nullptr, edit_ = nullptr, button_ = nullptr, list_ = nullptr;
};

const std::vector<Lesson> kThreeLessons = {
    {"11", "第一节 开始"}, {"12", "C++: 入门? &amp; 练习"}, {"13", "TCP/IP 基础"}};
const std::vector<std::string> kThreeTitles = {"第一节 开始", "C++: 入门? &amp; 练习",
                                               "TCP/IP 基础"};

std::string ClosedPortUrl(const std::string& path) {
    ScriptedPeer gone(testing::Always(Reply::Http(200)));
    return gone.Url(path);
}

TEST_F(WholeRunTest, ThreeLessonsInCatalogueOrderWithTheirRequests) {
    ServeCourse(kThreeLessons);
    // The course page may escape its text; the worker decodes the whole page from UTF-8.
    pages_[kCoursePath] =
        Reply::Http(200, {},
                    CoursePage(LinkLine(kThreeLessons[0]) +
                               "<li><a href=\"/course/video-12\">&nbsp;&nbsp;&nbsp;" +
                               PercentEscaped(Utf8("C++: 入门? &amp; 练习")) + "</a></li>\n" +
                               LinkLine(kThreeLessons[2])));
    RunCourse();

    ExpectLessons(kThreeTitles,
                  {VideoAddressOf("V11"), VideoAddressOf("V12"), VideoAddressOf("V13")});
    EXPECT_EQ(SitePaths(), (std::vector<std::string>{kCoursePath, "/course/video-11",
                                                     "/course/video-12", "/course/video-13"}));
    const auto redirects = video_->Requests();
    ASSERT_EQ(redirects.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(redirects[i].RequestLine(),
                  "GET /servlet/redirecttofile?userid=" + std::string(kUserId) + "&videoid=V1" +
                      std::to_string(i + 1) + " HTTP/1.1");
        EXPECT_EQ(redirects[i].Header("Host"), video_->HostAndPort());
    }
}

// Whatever fails, every lesson link still gives a row and an element in both lists.
TEST_F(WholeRunTest, FailuresLeaveEveryLessonItsRowAndElements) {
    const std::string good = LinkLine({"21", "好的一节"});
    struct Case {
        const char* what;
        std::function<void()> arrange;
        std::optional<std::string> address; // the course page's when left out
        std::vector<std::string> titles;
        std::vector<std::string> addresses;
    };
    const Case cases[] = {
        {"course page unreachable", [] {}, ClosedPortUrl(kCoursePath), {}, {}},
        {"course page missing", [&] { pages_.erase(kCoursePath); }, std::nullopt, {}, {}},
        {"empty address box", [] {}, std::string(), {}, {}},
        {"no catalogue start",
         [&] {
             pages_[kCoursePath] =
                 Reply::Http(200, {}, "<ul>\n" + good + "</ul>" + Utf8("目录 end"));
         },
         std::nullopt,
         {},
         {}},
        {"no catalogue end after its start",
         [&] {
             pages_[kCoursePath] = Reply::Http(
                 200, {}, Utf8("目录 end") + "\n" + Utf8("目录 start") + "<ul>\n" + good);
         },
         std::nullopt,
         {},
         {}},
        {"no double quote after the id",
         [&] {
             pages_[kCoursePath] =
                 Reply::Http(200, {},
                             CoursePage("<a href=/course/video-22>&nbsp;&nbsp;&nbsp;" +
                                        Utf8("无引号") + "</a>\n" + good));
             pages_["/course/video-"] = Reply::Http(200, {}, LessonPage("V0"));
         },
         std::nullopt,
         {"无引号", "好的一节"},
         {VideoAddressOf("V0"), VideoAddressOf("V21")}},
        {"no title marker",
         [&] {
             pages_[kCoursePath] = Reply::Http(
                 200, {},
                 CoursePage("<a href=\"/course/video-23\">" + Utf8("无标题") + "</a>\n" + good));
             pages_["/course/video-23"] = Reply::Http(200, {}, LessonPage("V23"));
         },
         std::nullopt,
         {"", "好的一节"},
         {VideoAddressOf("V23"), VideoAddressOf("V21")}},
        {"lesson page unreachable",
         [&] { pages_.erase("/course/video-11"); },
         std::nullopt,
         kThreeTitles,
         {VideoAddressOf(""), VideoAddressOf("V12"), VideoAddressOf("V13")}},
        {"no #cc_ on the lesson page",
         [&] { pages_["/course/video-12"] = Reply::Http(200, {}, "<p>cc_V12'</p>"); },
         std::nullopt,
         kThreeTitles,
         {VideoAddressOf("V11"), VideoAddressOf(""), VideoAddressOf("V13")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        pages_.clear();
        ServeCourse(kThreeLessons);
        pages_["/course/video-21"] = Reply::Http(200, {}, LessonPage("V21"));
        c.arrange();
        Run(c.address.value_or(site_.Url(kCoursePath)));
        ExpectLessons(c.titles, c.addresses);
    }

    pages_.clear();
    ServeCourse(kThreeLessons);
    video_->SetScript(testing::Always(Reply::Http(200, {}, "no redirect")));
    RunCourse();
    ExpectLessons(kThreeTitles, {"", "", ""});

    video_.reset();
    RunCourse();
    ExpectLessons(kThreeTitles, {"", "", ""});
}

TEST_F(WholeRunTest, RunsReplaceEachOtherAndNumberInFull) {
    std::vector<Lesson> twelve;
    for (int i = 1; i <= 12; ++i) {
        twelve.push_back({std::to_string(100 + i), "课" + std::to_string(i)});
    }
    ServeCourse(twelve);
    // Neither a link broken by a line feed nor one in other letter case is a lesson link.
    pages_[kCoursePath] =
        Reply::Http(200, {},
                    CoursePage(LinkLine(twelve[0]) +
                               "<a href=\"/course/video-900\">&nbsp;&nbsp;&nbsp;broken\n</a>\n"
                               "<a href=\"/Course/Video-901\">&nbsp;&nbsp;&nbsp;upper</a>\n"
                               "<a href=\"/course/video-902\">&nbsp;&nbsp;&nbsp;upper end</A>\n" +
                               [&] {
                                   std::string rest;
                                   for (size_t i = 1; i < twelve.size(); ++i) {
                                       rest += LinkLine(twelve[i]);
                                   }
                                   return rest;
                               }()));
    RunCourse();
    const auto rows = RowTexts(list_);
    ASSERT_EQ(rows.size(), 12u);
    EXPECT_EQ(rows[9], Wide(RowTextOf(10, "课10")));
    EXPECT_EQ(rows[11], L"第 12 节课  课12");

    ServeCourse({{"31", "新一"}, {"32", "新二"}});
    RunCourse();
    ExpectLessons({"新一", "新二"}, {VideoAddressOf("V31"), VideoAddressOf("V32")});
}

TEST_F(WholeRunTest, CompletionMessageLeavesTheWindowUsable) {
    boxes_ = std::make_unique<MessageBoxWatcher>(MessageBoxWatcher::Mode::HoldOpen);
    ServeCourse({});
    StartRun(site_.Url(kCoursePath));
    ASSERT_TRUE(boxes_->WaitForCount(1));
    const SeenMessageBox box = boxes_->Seen()[0];
    EXPECT_EQ(box.caption, Wide("信息："));
    EXPECT_EQ(box.text.rfind(Wide("获取完毕"), 0), 0u) << "starts with it";
    EXPECT_FALSE(box.hasIcon);
    EXPECT_TRUE(box.okOnly);
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_NE(box.thread, GetWindowThreadProcessId(window_, nullptr)) << "the worker's own";
    EXPECT_TRUE(IsWindowEnabled(window_));
    SetWindowTextW(edit_, L"typed meanwhile");
    EXPECT_EQ(testing::WindowText(edit_), L"typed meanwhile");
    EXPECT_EQ(LiveWorkers(), 1);
    EXPECT_FALSE(FetchIsFilling());
    boxes_->CloseHeld();
}

TEST_F(WholeRunTest, DownloadsHandLessonsOverOneObjectEach) {
    ServeCourse(kThreeLessons);
    RunCourse();

    SelectRow(1);
    Command(kDownloadSelectedId);
    auto records = agent_->Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].member, "AddTask");
    EXPECT_EQ(records[0].args, (std::vector<std::string>{"T:" + VideoAddressOf("V12"),
                                                         "T:C++： 入门？ &amp; 练习.mp4"}));
    EXPECT_EQ(records[1].member, "CommitTasks");
    EXPECT_TRUE(records[1].args.empty());

    const auto before = std::chrono::steady_clock::now();
    Command(kDownloadAllId);
    const auto after = std::chrono::steady_clock::now();
    records = agent_->Records();
    ASSERT_EQ(records.size(), 8u);
    EXPECT_EQ(agent_->ObjectsMade(), 4);
    EXPECT_TRUE(agent_->AllReleased());
    const char* names[] = {"第一节 开始.mp4", "C++： 入门？ &amp; 练习.mp4", "TCP／IP 基础.mp4"};
    for (int lesson = 0; lesson < 3; ++lesson) {
        const auto& add = records[2 + 2 * lesson];
        const auto& commit = records[3 + 2 * lesson];
        EXPECT_EQ(add.object, 2 + lesson);
        EXPECT_EQ(add.member, "AddTask");
        EXPECT_EQ(add.args[1], "T:" + std::string(names[lesson]));
        EXPECT_EQ(commit.object, 2 + lesson);
        EXPECT_EQ(commit.member, "CommitTasks");
        const auto next = lesson < 2 ? records[4 + 2 * lesson].at : after;
        EXPECT_GE(next - commit.at, 800ms) << "pause after lesson " << lesson + 1;
    }
    EXPECT_GE(after - before, 2400ms);

    SelectRow(-1);
    Command(kDownloadSelectedId);
    EXPECT_EQ(agent_->ObjectsMade(), 4) << "no row selected: nothing handed over";
    EXPECT_TRUE(boxes_->Seen().size() == Completions()) << "and nothing shown";

    pages_[kCoursePath] = Reply::Http(404);
    RunCourse();
    const auto emptyStart = std::chrono::steady_clock::now();
    Command(kDownloadAllId);
    EXPECT_LT(std::chrono::steady_clock::now() - emptyStart, 800ms) << "no pause";
    EXPECT_EQ(agent_->ObjectsMade(), 4);
}

TEST_F(WholeRunTest, OneRunAtATime) {
    ServeCourse(kThreeLessons);
    const std::string slowPage = LessonPage("V12");
    pages_["/course/video-12"] =
        Reply::Raw("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(slowPage.size()) +
                   "\r\nConnection: close\r\n\r\n")
            .ThenPause(1500ms)
            .ThenSend(slowPage);
    StartRun(site_.Url(kCoursePath));
    ASSERT_TRUE(WaitFor([&] { return SitePaths().size() >= 3; }));
    EXPECT_TRUE(FetchIsFilling());
    SendMessageW(button_, BM_CLICK, 0, 0);
    SelectRow(0);
    Command(kDownloadSelectedId);
    Command(kDownloadAllId);
    EXPECT_EQ(agent_->ObjectsMade(), 0) << "nothing handed over while the list fills";

    ASSERT_TRUE(WaitFor([&] { return Completions() == 1; }, 30s));
    ASSERT_TRUE(WaitFor([] { return LiveWorkers() == 0; }));
    EXPECT_EQ(SitePaths().size(), 4u) << "the second click started nothing";
    EXPECT_EQ(Completions(), 1u);
    SelectRow(0);
    Command(kDownloadSelectedId);
    EXPECT_EQ(agent_->ObjectsMade(), 1);
}

size_t PeakWorkingSet() {
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize;
}

// A course page of 100 MB, escapes throughout, behind a header block of 1 MB: every lesson
// comes out, the window keeps answering, and the memory the run takes stays within a few
// times the page.
TEST_F(WholeRunTest, HugePageBehindAHugeHeaderBlock) {
    ServeCourse(kThreeLessons);
    std::string filler;
    while (filler.size() < 64 * 1024) {
        filler += "<p>%E4%B8%AD%E6%96%87 " + std::string(90, 'x') + "</p>\n";
    }
    const size_t fillers = 100 * 1024 * 1024 / filler.size();
    const std::string catalogue = CoursePage(kThreeLessons);
    std::string head = "HTTP/1.1 200 OK\r\nContent-Length: " +
                       std::to_string(filler.size() * fillers + catalogue.size()) + "\r\n";
    for (int i = 0; head.size() < 1024 * 1024; ++i) {
        head += "X-Filler-" + std::to_string(i) + ": " + std::string(200, 'h') + "\r\n";
    }
    head += "Connection: close\r\n\r\n";
    pages_[kCoursePath] = Reply::Raw(head).ThenSendRepeated(filler, fillers).ThenSend(catalogue);

    const size_t before = PeakWorkingSet();
    StartRun(site_.Url(kCoursePath));
    // The window answers all along while the worker reads and decodes the page.
    for (auto until = std::chrono::steady_clock::now() + 180s;
         Completions() == 0 && std::chrono::steady_clock::now() < until;
         std::this_thread::sleep_for(200ms)) {
        DWORD_PTR answer = 0;
        ASSERT_NE(SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer), 0);
    }
    ASSERT_EQ(Completions(), 1u);
    ASSERT_TRUE(WaitFor([] { return LiveWorkers() == 0; }, 10s));
    ExpectLessons(kThreeTitles,
                  {VideoAddressOf("V11"), VideoAddressOf("V12"), VideoAddressOf("V13")});
    const double pageMb = (filler.size() * fillers + catalogue.size()) / 1048576.0;
    const double grownMb = (PeakWorkingSet() - before) / 1048576.0;
    std::printf("a %.0f MB page took the run %.0f MB more at its peak (%.1f times)\n", pageMb,
                grownMb, grownMb / pageMb);
    EXPECT_LT(grownMb, 5 * pageMb);
}

class WithoutDownloadManager : public WholeRunTest {
  protected:
    WithoutDownloadManager() : WholeRunTest(false) {}
};

TEST_F(WithoutDownloadManager, EveryLessonTellsTheUserOnce) {
    ServeCourse(kThreeLessons);
    RunCourse();
    const size_t before = boxes_->Seen().size();
    SelectRow(2);
    Command(kDownloadSelectedId);
    Command(kDownloadAllId);
    const auto seen = boxes_->Seen();
    ASSERT_EQ(seen.size(), before + 4);
    for (size_t i = before; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].caption, Wide("提示"));
        EXPECT_EQ(seen[i].text, Wide("您还没有安装迅雷！"));
        EXPECT_TRUE(seen[i].hasIcon);
        EXPECT_TRUE(seen[i].okOnly);
        EXPECT_EQ(seen[i].owner, nullptr);
    }
}

} // namespace
} // namespace velkari
