#include "app/file_name.h"

#include <gtest/gtest.h>

namespace velkari {
namespace {

TEST(LessonFileName, WhatWindowsForbidsIsMadeHarmless) {
    struct Case {
        const char* title;
        const char* name;
    } cases[] = {
        {"第一节", "第一节.mp4"},
        {"", ".mp4"},
        {"intro.mp4", "intro.mp4.mp4"},
        {"A &amp; B", "A &amp; B.mp4"},
        {"C++: 入门?", "C++： 入门？.mp4"},
        {"a\\b/c:d*e?f\"g<h>i|j", "a＼b／c：d＊e？f＂g＜h＞i｜j.mp4"},
        {"tab\there\x01\x1F\x7F", "tabhere.mp4"},
        // Second bytes 0x5C and 0x7C of two-byte characters are not "\" or "|".
        {"\x81\x5C\x81\x7C", "\x81\x5C\x81\x7C.mp4"},
        {"CON", "CON_.mp4"},
        {"con.part1", "con_.part1.mp4"},
        {"Lpt9", "Lpt9_.mp4"},
        {"com1 ", "com1 _.mp4"},
        {"NUL", "NUL_.mp4"},
        {"COM0", "COM0.mp4"},
        {"CONSOLE", "CONSOLE.mp4"},
        {"LPT10", "LPT10.mp4"},
        {"aux:", "aux：.mp4"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LessonFileName(c.title), Text(c.name)) << c.title;
    }
}

} // namespace
} // namespace velkari
