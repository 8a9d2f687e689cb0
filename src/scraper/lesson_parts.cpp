#include "scraper/scraper.h"

#include <string>

namespace velkari {

namespace {

bool BreaksRequestLine(unsigned char byte, bool highBytesToo) {
    return byte <= 0x20 || byte == 0x7F || (highBytesToo && byte >= 0x80);
}

} // namespace

Text LessonId(const Text& matchText) {
    return TextBetween(matchText, "video-", "\"");
}

Text LessonTitle(const Text& matchText) {
    return TextBetween(matchText, "&nbsp;&nbsp;&nbsp;", "</a>");
}

Text VideoId(const Text& lessonPage) {
    return TextBetween(lessonPage, "#cc_", "'");
}

// The ids come from remote pages; only the bytes that would break the request are escaped, so
// ordinary ids go out as they are.
Text LessonPageAddress(const CourseSettings& settings, const Text& lessonId) {
    return ConcatText(
        {"http://", settings.courseSiteHost, "/course/video-", EscapeForAddress(lessonId, false)});
}

Text RedirectAddress(const CourseSettings& settings, const Text& videoId) {
    return ConcatText({"http://", settings.videoServiceHost, "/servlet/redirecttofile?userid=",
                       settings.videoServiceUserId, "&videoid=", EscapeForAddress(videoId, true)});
}

Text LessonRowText(int number, const Text& title) {
    return ConcatText({"第 ", ToText(number), " 节课  ", title});
}

Text EscapeForAddress(const Text& id, bool highBytesToo) {
    static const char kHexDigits[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(static_cast<size_t>(id.Length()));
    for (const char c : id.View()) {
        const auto byte = static_cast<unsigned char>(c);
        if (BreaksRequestLine(byte, highBytesToo)) {
            escaped += '%';
            escaped += kHexDigits[byte >> 4];
            escaped += kHexDigits[byte & 0x0F];
        } else {
            escaped += c;
        }
    }
    return escaped.size() == static_cast<size_t>(id.Length()) ? id
                                                              : Text(std::string_view(escaped));
}

} // namespace velkari
