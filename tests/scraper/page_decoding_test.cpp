#include "random_pages.h"
#include "scraper/scraper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace velkari {
namespace {

std::string S(const Text& t) {
    return std::string(t.View());
}

TEST(PercentDecode, EscapesByteByByte) {
    struct Case {
        const char* in;
        const char* plain;
        const char* converted;
    } cases[] = {
        {"a+b%20c", "a+b c", "a+b c"},
        {"%4a%4A", "JJ", "JJ"},
        {"%E4%B8%AD", "\xE4\xB8\xAD", "\xD6\xD0"}, // 中
        {"50%", "50", "50"},
        {"%4", "\x40", "\x40"},
        {"a%00b", "ab", "ab"},
        {"%GGa",
         "\xDE"
         "a",
         "?a"},
        {"%GG", "\xDE", "?"},
        {"%\xD6\xD0z",
         "\xDE"
         "z",
         "?z"}, // a two-byte character's bytes taken as digits
        {"", "", ""},
        {"plain ascii <a href=x>", "plain ascii <a href=x>", "plain ascii <a href=x>"},
        {"%e7%9b%ae%e5%bd%95 start", "\xE7\x9B\xAE\xE5\xBD\x95 start", "目录 start"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.plain, S(DecodePercentEscapes(c.in))) << c.in;
#ifdef _WIN32
        EXPECT_EQ(c.plain, S(PercentDecode(c.in))) << c.in;
        EXPECT_EQ(c.converted, S(PercentDecode(c.in, true))) << c.in;
#endif
    }
}

TEST(PercentDecode, RandomBytesNeverGrow) {
    // Random bytes dense with "%": whatever they decode to, decoding never makes them longer.
    const Text input = testing::RandomPercentPage();
    EXPECT_LE(DecodePercentEscapes(input).Length(), input.Length());
}

} // namespace
} // namespace velkari
