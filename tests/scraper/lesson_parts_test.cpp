#include "scraper/scraper.h"

#include <gtest/gtest.h>

#include <string>

namespace velkari {
namespace {

const CourseSettings kSettings{"course.test:81", "video.test", "0123456789ABCDEF"};

TEST(LessonParts, CutFromTheMatchAndThePage) {
    struct Case {
        const char* match;
        const char* id;
        const char* title;
    } cases[] = {
        {"/course/video-17\" class=\"x\">&nbsp;&nbsp;&nbsp;第一节 &amp; <b>b</b></a>", "17",
         "第一节 &amp; <b>b</b>"},
        {"/course/video-17>&nbsp;&nbsp;&nbsp;T</a>", "", "T"},
        {"/course/video-\"x\">no title</a>", "", ""},
        {"/course/video-9\">&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;</a>", "9", "&nbsp;&nbsp;"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LessonId(c.match), Text(c.id)) << c.match;
        EXPECT_EQ(LessonTitle(c.match), Text(c.title)) << c.match;
    }
    EXPECT_EQ(VideoId("a('#cc_AB12');b('#cc_X')"), Text("AB12"));
    EXPECT_EQ(VideoId("#cc_no end"), Text());
    EXPECT_EQ(VideoId("cc_A'"), Text());
}

TEST(LessonParts, AddressesEscapeOnlyWhatWouldBreakTheRequest) {
    EXPECT_EQ(LessonPageAddress(kSettings, "5089"),
              Text("http://course.test:81/course/video-5089"));
    EXPECT_EQ(LessonPageAddress(kSettings, ""), Text("http://course.test:81/course/video-"));
    EXPECT_EQ(LessonPageAddress(kSettings, "1 2\t3\x7F"),
              Text("http://course.test:81/course/video-1%202%093%7F"));
    EXPECT_EQ(LessonPageAddress(kSettings, "课1"), Text("http://course.test:81/course/video-课1"));

    const std::string head =
        "http://video.test/servlet/redirecttofile?userid=0123456789ABCDEF&videoid=";
    EXPECT_EQ(RedirectAddress(kSettings, "A1-b_2.c~%"), Text((head + "A1-b_2.c~%").c_str()));
    EXPECT_EQ(RedirectAddress(kSettings, ""), Text(head.c_str()));
    EXPECT_EQ(RedirectAddress(kSettings, "a b\r\n\x7F\x80\xFF"),
              Text((head + "a%20b%0D%0A%7F%80%FF").c_str()));
}

TEST(LessonParts, RowTextNumbersInFull) {
    EXPECT_EQ(LessonRowText(3, "标题"), Text("第 3 节课  标题"));
    EXPECT_EQ(LessonRowText(12, ""), Text("第 12 节课  "));
}

} // namespace
} // namespace velkari
