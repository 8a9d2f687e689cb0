// The course scraper: decoding of downloaded pages, the pieces of one lesson taken from the
// course's pages, and the video address resolver.
#pragma once

#include "text/text.h"

namespace velkari {

// Resolves every "%" escape byte by byte ("+" stays); with `convertFromUtf8` the result is then
// read as UTF-8 and written out in code page 936.
Text PercentDecode(const Text& text, bool convertFromUtf8 = false);
// PercentDecode without the conversion, and without any Windows call.
Text DecodePercentEscapes(const Text& text);
Text Utf8ToAnsi(const Text& text);
// Multibyte text to little-endian UTF-16 units, ended by a zero unit.
Bytes AnsiToWide(const Text& text, unsigned codePage = 65001);
// UTF-16 units, up to the first zero unit, to multibyte text; unconvertible characters become
// the code page's default character.
Text WideToAnsi(const Bytes& wide, unsigned codePage = 0);

// Where a run looks for a course. Each host may carry a port ("127.0.0.1:8080").
struct CourseSettings {
    Text courseSiteHost;
    Text videoServiceHost;
    Text videoServiceUserId;
};

// The lesson-link pattern and the markers that a course page and its lessons are cut by.
constexpr const char* kLessonLinkPattern = "/course/video-.*?</a>";
constexpr const char* kCatalogueStart = "目录 start";
constexpr const char* kCatalogueEnd = "目录 end";

// The part of a matched lesson link between "video-" and the double quote.
Text LessonId(const Text& matchText);
// The part between "&nbsp;&nbsp;&nbsp;" and "</a>", bytes unchanged.
Text LessonTitle(const Text& matchText);
// The part of a lesson page between "#cc_" and the apostrophe.
Text VideoId(const Text& lessonPage);
Text LessonPageAddress(const CourseSettings& settings, const Text& lessonId);
Text RedirectAddress(const CourseSettings& settings, const Text& videoId);
// "第 " + number + " 节课  " + title.
Text LessonRowText(int number, const Text& title);
// `id` with the bytes that would break a request line written as "%XX": control bytes and the
// space, and with `highBytesToo` also every byte from 0x7F up.
Text EscapeForAddress(const Text& id, bool highBytesToo);

// The automation object that carries the video service's requests.
constexpr const char* kVideoRequestProgId = "WinHttp.WinHttpRequest.5.1";

// Asks the video service's redirect endpoint at `redirectAddress`, on `serviceHost`, for the
// real address of a video: the "Location" of its answer, which is not followed. The empty text
// when there is none or anything fails on the way.
Text ResolveVideoAddress(const Text& redirectAddress, const Text& serviceHost,
                         const Text& requestProgId = kVideoRequestProgId);

} // namespace velkari
