#include "demo/demo_site.h"

#include "app/compiled_settings.h"
#include "support/page_text.h"
#include "text/text.h"

#include <cstdint>
#include <cstdlib>

namespace velkari::demo {

namespace {

using testing::PercentEscaped;
using testing::ReceivedRequest;
using testing::Reply;
using testing::Utf8;

constexpr char kCoursePath[] = "/course/video-5089";

int PortOf(const char* hostAndPort) {
    const std::string host = hostAndPort;
    const size_t colon = host.rfind(':');
    return colon == std::string::npos ? 80 : std::atoi(host.c_str() + colon + 1);
}

std::string LinkLine(const DemoLesson& lesson, bool escapeTitle) {
    const std::string title = Utf8(lesson.title);
    return "      <li><a href=\"/course/video-" + lesson.id + "\" target=\"_blank\">" +
           "&nbsp;&nbsp;&nbsp;" + (escapeTitle ? PercentEscaped(title) : title) + "</a></li>\n";
}

std::string CoursePage() {
    std::string page = "<!DOCTYPE html>\n<html>\n<head><meta charset=\"utf-8\"><title>" +
                       Utf8("Python 入门课程") + "</title></head>\n<body>\n  <h1>" +
                       Utf8("Python 入门课程") + "</h1>\n  <p>" +
                       PercentEscaped(Utf8("共 12 节课")) + "</p>\n  <!-- " + Utf8("目录 start") +
                       " -->\n  <ul>\n";
    for (size_t i = 0; i < DemoLessons().size(); ++i) {
        page += LinkLine(DemoLessons()[i], i % 3 == 1);
    }
    return page + "  </ul>\n  <!-- " + Utf8("目录 end") + " -->\n</body>\n</html>\n";
}

std::string LessonPage(const DemoLesson& lesson) {
    return "<!DOCTYPE html>\n<html><body>\n<div id=\"player\"></div>\n"
           "<script>player.load('#cc_" +
           lesson.videoId + "');</script>\n</body></html>\n";
}

std::string PathOf(const ReceivedRequest& request) {
    const std::string line = request.RequestLine();
    const size_t start = line.find(' ') + 1;
    return line.substr(start, line.find(' ', start) - start);
}

std::string QueryValue(const std::string& path, const std::string& name) {
    const size_t query = path.find('?');
    for (size_t at = query; at != std::string::npos; at = path.find('&', at + 1)) {
        if (path.compare(at + 1, name.size() + 1, name + "=") == 0) {
            const size_t from = at + name.size() + 2;
            return path.substr(from, path.find('&', from) - from);
        }
    }
    return "";
}

const DemoLesson* LessonWhere(bool (*matches)(const DemoLesson&, const std::string&),
                              const std::string& key) {
    for (const DemoLesson& lesson : DemoLessons()) {
        if (matches(lesson, key)) {
            return &lesson;
        }
    }
    return nullptr;
}

Reply Page(const std::string& html) {
    return Reply::Http(200, {"Content-Type: text/html; charset=utf-8"}, html);
}

Reply CourseSiteReply(const ReceivedRequest& request) {
    const std::string path = PathOf(request);
    if (path == kCoursePath) {
        return Page(CoursePage());
    }
    const std::string prefix = "/course/video-";
    const DemoLesson* lesson =
        path.compare(0, prefix.size(), prefix) != 0
            ? nullptr
            : LessonWhere([](const DemoLesson& l, const std::string& id) { return l.id == id; },
                          path.substr(prefix.size()));
    return lesson != nullptr ? Page(LessonPage(*lesson)) : Reply::Http(404, {}, "not found");
}

Reply VideoServiceReply(const ReceivedRequest& request) {
    const std::string path = PathOf(request);
    const auto byVideoId = [](const DemoLesson& l, const std::string& id) {
        return l.videoId == id;
    };
    if (path.rfind("/servlet/redirecttofile?", 0) == 0) {
        if (QueryValue(path, "userid") != VideoServiceUserId) {
            return Reply::Http(403, {}, "unknown user");
        }
        const DemoLesson* lesson = LessonWhere(byVideoId, QueryValue(path, "videoid"));
        if (lesson == nullptr) {
            return Reply::Http(404, {}, "no such video");
        }
        return Reply::Http(302, {"Location: http://" + std::string(VideoServiceHost) + "/video/" +
                                 lesson->videoId + ".mp4"});
    }
    const std::string prefix = "/video/";
    const std::string suffix = ".mp4";
    if (path.rfind(prefix, 0) == 0 && path.size() > prefix.size() + suffix.size() &&
        path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0) {
        const DemoLesson* lesson = LessonWhere(
            byVideoId, path.substr(prefix.size(), path.size() - prefix.size() - suffix.size()));
        if (lesson != nullptr) {
            return Reply::Http(200, {"Content-Type: video/mp4"}, DemoVideo(*lesson));
        }
    }
    return Reply::Http(404, {}, "not found");
}

} // namespace

const std::vector<DemoLesson>& DemoLessons() {
    static const std::vector<DemoLesson> lessons = {
        {"5101", "第一课：课程介绍", "6C1A0936E5A00001", 48 * 1024},
        {"5102", "环境搭建与安装", "6C1A0936E5A00002", 61 * 1024 + 7},
        {"5103", "TCP/IP 基础", "6C1A0936E5A00003", 52 * 1024 + 3},
        {"5104", "变量 &amp; 数据类型", "6C1A0936E5A00004", 75 * 1024},
        {"5105", "条件判断", "6C1A0936E5A00005", 40 * 1024 + 11},
        {"5106", "循环语句", "6C1A0936E5A00006", 66 * 1024},
        {"5107", "函数入门", "6C1A0936E5A00007", 57 * 1024 + 5},
        {"5108", "列表与字典", "6C1A0936E5A00008", 83 * 1024},
        {"5109", "文件读写", "6C1A0936E5A00009", 44 * 1024 + 1},
        {"5110", "异常处理", "6C1A0936E5A00010", 70 * 1024},
        {"5111", "模块与包", "6C1A0936E5A00011", 59 * 1024 + 9},
        {"5112", "综合练习：小项目", "6C1A0936E5A00012", 90 * 1024},
    };
    return lessons;
}

std::string DemoVideo(const DemoLesson& lesson) {
    // A fixed-size "ftyp" box first, as real files start, then bytes from a seeded generator.
    std::string bytes("\0\0\0\x18"
                      "ftypmp42\0\0\0\0mp42isom",
                      24);
    uint32_t state = static_cast<uint32_t>(std::strtoul(lesson.id.c_str(), nullptr, 10));
    while (bytes.size() < lesson.videoSize) {
        state = state * 1664525u + 1013904223u;
        bytes += static_cast<char>(state >> 24);
    }
    bytes.resize(lesson.videoSize);
    return bytes;
}

DemoSite::DemoSite()
    : site_(std::make_unique<testing::ScriptedPeer>(CourseSiteReply, PortOf(CourseSiteHost))),
      video_(std::make_unique<testing::ScriptedPeer>(VideoServiceReply, PortOf(VideoServiceHost))) {
}

bool DemoSite::Listening() const {
    return site_->Port() != 0 && video_->Port() != 0;
}

std::string DemoSite::CourseAddress() const {
    return "http://" + std::string(CourseSiteHost) + kCoursePath;
}

} // namespace velkari::demo
