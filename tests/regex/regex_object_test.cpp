#include "regex/regex.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace velkari {
namespace {

constexpr const char* kLessonLink = "/course/video-.*?</a>";

std::string LessonLine(int id, const std::string& title) {
    return "<li><a href=\"/course/video-" + std::to_string(id) + "\">&nbsp;&nbsp;&nbsp;" + title +
           "</a></li>\n";
}

Text Catalogue() {
    return Text(std::string_view(
        LessonLine(11, "第一节 开始") + LessonLine(12, "第二节") +
        "<li><a href=\"/course/video-99\">&nbsp;&nbsp;&nbsp;没有结尾\n</a></li>\n" +
        LessonLine(13, "第三节 结束")));
}

bool RunLessonLinks(RegexObject& regex, const Text& subject) {
    return regex.Create(kLessonLink, subject, false, true, true);
}

TEST(RegexObject, BeforeAnyRunEverythingIsEmpty) {
    RegexObject regex;
    EXPECT_EQ(regex.MatchCount(), 0);
    EXPECT_EQ(regex.GetPattern(), Text());
    EXPECT_EQ(regex.MatchText(1), Text());
    EXPECT_EQ(regex.SubMatchText(1, 1), Text());
    EXPECT_EQ(regex.SubMatchCount(), 0);
    EXPECT_EQ(regex.Replace("x"), Text());
}

TEST(RegexObject, FindsTheLessonLinksInOrderWithinALine) {
    RegexObject regex;
    ASSERT_TRUE(RunLessonLinks(regex, Catalogue()));
    ASSERT_EQ(regex.MatchCount(), 3) << "a link whose </a> is on the next line is no match";
    EXPECT_EQ(regex.MatchText(1), Text("/course/video-11\">&nbsp;&nbsp;&nbsp;第一节 开始</a>"));
    EXPECT_EQ(regex.MatchText(2), Text("/course/video-12\">&nbsp;&nbsp;&nbsp;第二节</a>"));
    EXPECT_EQ(regex.MatchText(3), Text("/course/video-13\">&nbsp;&nbsp;&nbsp;第三节 结束</a>"));
    EXPECT_EQ(regex.GetPattern(), Text(kLessonLink));
    for (int outside : {0, 4, -1}) {
        EXPECT_EQ(regex.MatchText(outside), Text()) << outside;
    }
}

TEST(RegexObject, PositionIsTheByteOffsetAfterTwoByteCharacters) {
    RegexObject regex;
    const std::string subject = "第一节课 <b>第二</b> 标题 abc";
    ASSERT_TRUE(regex.Create("abc", Text(std::string_view(subject))));
    int position = -7;
    EXPECT_EQ(regex.MatchText(1, &position), Text("abc"));
    EXPECT_EQ(position, static_cast<int>(subject.find("abc")));
    EXPECT_GT(position, 18) << "the engine counts 18 characters before the match";

    ASSERT_TRUE(regex.Create("<b>(.*?)</b>", Text(std::string_view(subject))));
    EXPECT_EQ(regex.SubMatchText(1, 1, &position), Text("第二"));
    EXPECT_EQ(position, static_cast<int>(subject.find("第二")));
}

TEST(RegexObject, EachRunReplacesTheLastOne) {
    RegexObject regex;
    ASSERT_TRUE(RunLessonLinks(regex, Catalogue()));

    EXPECT_TRUE(regex.Create("o+", "a foo boo"));
    EXPECT_EQ(regex.MatchCount(), 2);
    EXPECT_EQ(regex.MatchText(1), Text("oo"));
    EXPECT_EQ(regex.Replace("0"), Text("a f0 b0"));

    EXPECT_TRUE(RunLessonLinks(regex, "no lesson here"));
    EXPECT_EQ(regex.MatchCount(), 0);

    ASSERT_TRUE(RunLessonLinks(regex, Catalogue()));
    EXPECT_FALSE(regex.Create("(unclosed", Catalogue())) << "a pattern the engine rejects";
    EXPECT_EQ(regex.MatchCount(), 0);
    EXPECT_EQ(regex.MatchText(1), Text());
}

TEST(RegexObject, FlagsLeftOutCountAsTrue) {
    RegexObject regex;
    ASSERT_TRUE(regex.Create("^ab", "x\nAB\nab"));
    EXPECT_EQ(regex.MatchCount(), 2);
    ASSERT_TRUE(regex.Create("^ab", "x\nAB\nab", false, false, true));
    EXPECT_EQ(regex.MatchCount(), 0);
    ASSERT_TRUE(regex.Create("b", "abcb", true, true, false));
    EXPECT_EQ(regex.MatchCount(), 1);
}

TEST(RegexObject, GroupsThatTookNoPartAreEmpty) {
    RegexObject regex;
    ASSERT_TRUE(regex.Create("a(b)?(c)", "xac"));
    EXPECT_EQ(regex.SubMatchCount(), 2);
    EXPECT_EQ(regex.SubMatchText(1, 1), Text());
    EXPECT_EQ(regex.SubMatchText(1, 2), Text("c"));
    for (auto [match, group] : {std::pair{1, 0}, {1, 3}, {2, 1}, {0, 1}}) {
        EXPECT_EQ(regex.SubMatchText(match, group), Text()) << match << "," << group;
    }
}

TEST(RegexObject, ACopySharesTheRunAndOutlivesTheOriginal) {
    std::unique_ptr<RegexObject> copy;
    {
        RegexObject regex;
        ASSERT_TRUE(RunLessonLinks(regex, Catalogue()));
        copy = regex.Copy();
    }
    EXPECT_EQ(copy->MatchCount(), 3);
    EXPECT_EQ(copy->MatchText(2), Text("/course/video-12\">&nbsp;&nbsp;&nbsp;第二节</a>"));
    EXPECT_EQ(copy->GetPattern(), Text(kLessonLink));
}

TEST(RegexObject, ARunOnAThreadWithoutComFindsNothing) {
    RegexObject regex;
    bool created = true;
    std::thread([&] { created = RunLessonLinks(regex, Catalogue()); }).join();
    EXPECT_FALSE(created);
    EXPECT_EQ(regex.MatchCount(), 0);
    EXPECT_EQ(regex.GetPattern(), Text());
}

} // namespace
} // namespace velkari
