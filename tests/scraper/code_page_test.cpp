// Code-page conversion of decoded pages, through Windows.
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

TEST(PercentDecode, LargeAndRandomPagesDecodeWhole) {
    // 10 MB of a UTF-8 page line with escapes: every line comes out whole, in code page 936.
    const std::string line = "<a>%E4%B8%AD\xE6\x96\x87 50%25 x+y</a>\n";
    std::string page;
    while (page.size() < 10 * 1024 * 1024) {
        page += line;
    }
    const size_t lines = page.size() / line.size();
    const std::string decoded = S(PercentDecode(Text(std::string_view(page)), true));
    const std::string decodedLine = "<a>\xD6\xD0\xCE\xC4 50% x+y</a>\n"; // 中文
    ASSERT_EQ(lines * decodedLine.size(), decoded.size());
    EXPECT_EQ(decodedLine, decoded.substr(decoded.size() - decodedLine.size()));

    // Random bytes dense with "%" neither fail nor run away through the conversion.
    const Text input = testing::RandomPercentPage();
    const Text converted = PercentDecode(input, true);
    EXPECT_GT(converted.Length(), 0);
    EXPECT_LE(converted.Length(), 3 * input.Length());
}

TEST(CodePageConversion, PageAlreadyInCodePage936ConvertsWhole) {
    // Not UTF-8: every invalid byte becomes "?", and nothing else is lost.
    EXPECT_EQ("??abc", S(Utf8ToAnsi("\xD6\xD0"
                                    "abc")));
    // 目 (C4 BF) and 录 (C2 BC) happen to be valid UTF-8 pairs, each one character without a
    // code page 936 form; 中 (D6 D0) is not UTF-8 at all.
    const std::string page = "<p>" + std::string(2000, 'x') + "\xC4\xBF\xC2\xBC \xD6\xD0</p>";
    const std::string converted = S(Utf8ToAnsi(Text(std::string_view(page))));
    EXPECT_TRUE(std::string("<p>") + std::string(2000, 'x') + "?\? ?\?</p>" == converted)
        << converted.substr(2000);
}

TEST(CodePageConversion, RandomBytesNeverLoseTheirAsciiPart) {
    std::mt19937 random(936);
    std::string bytes(100000, '\0');
    std::generate(bytes.begin(), bytes.end(),
                  [&] { return static_cast<char>(random() % 255 + 1); });
    const std::string converted = S(Utf8ToAnsi(Text(std::string_view(bytes))));
    // Bytes 0x01-0x3E are neither lead nor trail bytes in code page 936 output and are never
    // part of a UTF-8 sequence: each must come through, however the bytes around it read
    // (best-fit forms of other characters may add more of them).
    for (int b = 1; b < '?'; ++b) {
        const auto in = std::count(bytes.begin(), bytes.end(), static_cast<char>(b));
        const auto out = std::count(converted.begin(), converted.end(), static_cast<char>(b));
        EXPECT_GE(out, in) << "byte " << b;
    }
}

TEST(CodePageConversion, WideRoundTripAndUnconvertibleCharacters) {
    const Bytes wide = AnsiToWide("\xE4\xB8\xAD"
                                  "a"); // 中 in UTF-8
    EXPECT_EQ(std::string("\x2D\x4E"
                          "a\0\0\0",
                          6),
              std::string(wide.View()))
        << "ends with a zero unit";
    EXPECT_EQ("\xE4\xB8\xAD"
              "a",
              S(WideToAnsi(wide, 65001)));
    EXPECT_EQ("\xD6\xD0"
              "a",
              S(WideToAnsi(AnsiToWide("\xD6\xD0"
                                      "a",
                                      936),
                           936)));
    const Bytes thai = AnsiToWide("\xE0\xB8\x81"); // U+0E01 has no code page 936 form
    EXPECT_EQ("?", S(WideToAnsi(thai, 936)));
    EXPECT_EQ(0, BytesLength(AnsiToWide("")));
    EXPECT_EQ("", S(WideToAnsi(Bytes(), 936)));
    EXPECT_EQ("ab", S(WideToAnsi(Bytes(std::string_view("a\0b\0", 4)), 936))) << "no terminator";
}

} // namespace
} // namespace velkari
