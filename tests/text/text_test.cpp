#include "text/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace velkari {
namespace {

std::string S(const Text& t) {
    return std::string(t.View());
}

// Two-byte characters used below, as code page 936 bytes.
const char* const kZhong = "\xD6\xD0"; // 中
const char* const kFullWidthSpace = "\xA1\xA1";

TEST(TextValue, LiteralsAreCodePage936) {
    Text marker("目录 start");
    ASSERT_EQ(10, TextLength(marker));
    EXPECT_EQ('\xC4', marker.CStr()[0]);
    EXPECT_EQ("\xC4\xBF\xC2\xBC start", S(marker));
    EXPECT_EQ(std::string(kZhong), S(Text("中")));
}

TEST(TextValue, NeverHoldsAZeroByte) {
    Text t(std::string_view("ab\0cd", 5));
    EXPECT_EQ(2, TextLength(t));
    EXPECT_EQ("ab", S(t));
    Text taken(std::string("ab\0cd", 5));
    EXPECT_EQ(2, TextLength(taken));
    EXPECT_EQ("ab", S(taken));
}

TEST(TextValue, TwoEmptyFormsCompareEqualButDifferAtTheWindowsEdge) {
    Text none;
    Text blank("");
    EXPECT_EQ(nullptr, none.CStr());
    ASSERT_NE(nullptr, blank.CStr());
    EXPECT_EQ('\0', blank.CStr()[0]);
    EXPECT_EQ(0, CompareText(none, blank));
    EXPECT_TRUE(none == blank);
    EXPECT_EQ(-1, FindText(none, "a"));
    EXPECT_EQ(-1, FindText(blank, "a"));
    EXPECT_EQ(nullptr, CharFromCode(0).CStr());
    EXPECT_NE(nullptr, ConcatText({none, none}).CStr());
    EXPECT_EQ(nullptr, TextMid("abc", 0, 2).CStr());
}

TEST(TextCutting, LeftRightMid) {
    struct Case {
        const char* op;
        int start, count;
        const char* want;
    } cases[] = {
        {"left", 0, 2, "ab"},        {"left", 0, 99, "abcde"},  {"left", 0, 0, ""},
        {"left", 0, -1, ""},         {"right", 0, 2, "de"},     {"right", 0, 99, "abcde"},
        {"right", 0, 0, ""},         {"right", 0, INT_MIN, ""}, {"mid", 2, 3, "bcd"},
        {"mid", 0, 3, ""},           {"mid", -4, 9, ""},        {"mid", 4, 99, "de"},
        {"mid", 5, 1, "e"},          {"mid", 6, 1, ""},         {"mid", 1, 0, ""},
        {"mid", 2, INT_MAX, "bcde"},
    };
    Text t("abcde");
    for (const Case& c : cases) {
        std::string op = c.op;
        Text got = op == "left"    ? TextLeft(t, c.count)
                   : op == "right" ? TextRight(t, c.count)
                                   : TextMid(t, c.start, c.count);
        EXPECT_EQ(c.want, S(got)) << op << " start " << c.start << " count " << c.count;
    }
}

TEST(TextCutting, CountingOperationsCutTwoByteCharactersInHalf) {
    Text t("中文");
    EXPECT_EQ(4, TextLength(t));
    EXPECT_EQ("\xD6", S(TextLeft(t, 1)));
    EXPECT_EQ("\xD0\xCE", S(TextMid(t, 2, 2)));
}

TEST(TextBuilding, CharsBlanksAndConcatenation) {
    EXPECT_EQ("%", S(CharFromCode('%')));
    EXPECT_EQ("\xFF", S(CharFromCode(255)));
    EXPECT_EQ("   ", S(BlankText(3)));
    EXPECT_EQ(nullptr, BlankText(0).CStr());
    EXPECT_EQ("ab.mp4", S(ConcatText({"a", Text(), "b", ".mp4"})));
}

TEST(TextBuilding, CaseMappingTouchesOnlyAsciiLetters) {
    // A3 C1 is the full-width A; 81 41 and 81 61 are characters whose trail bytes are 'A', 'a'.
    const std::string twoByteWithAsciiTrail = "\x81\x41\x81\x61";
    EXPECT_EQ("abc\xA3\xC1z", S(ToLower(Text("AbC\xA3\xC1Z"))));
    EXPECT_EQ("ABC\xA3\xC1Z", S(ToUpper(Text("abC\xA3\xC1z"))));
    EXPECT_EQ(twoByteWithAsciiTrail, S(ToLower(Text(twoByteWithAsciiTrail.c_str()))));
    EXPECT_EQ(twoByteWithAsciiTrail, S(ToUpper(Text(twoByteWithAsciiTrail.c_str()))));
}

TEST(TextBuilding, TrimAndRemoveSpaces) {
    const std::string fw = kFullWidthSpace;
    struct Case {
        std::string in, trimmed, removed;
    } cases[] = {
        {"  a b  ", "a b", "ab"},
        {fw + " a" + fw + "b " + fw, "a" + fw + "b", "ab"},
        {"\ta b\r\n", "\ta b\r\n", "\tab\r\n"},
        {"   ", "", ""},
        {fw + fw, "", ""},
        // 0xA1 0xA1 straddling two characters is no full-width space: B0 A1 | A1 B0.
        {"\xB0\xA1\xA1\xB0", "\xB0\xA1\xA1\xB0", "\xB0\xA1\xA1\xB0"},
        // A trail byte 0x20 is content, not a space.
        {"\x81\x20", "\x81\x20", "\x81\x20"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.trimmed, S(TrimBoth(Text(c.in.c_str())))) << c.in;
        EXPECT_EQ(c.removed, S(RemoveSpaces(Text(c.in.c_str())))) << c.in;
    }
}

TEST(TextBuilding, CompareTextIsUnsignedAndCaseSensitive) {
    EXPECT_LT(CompareText("a", "\x81"), 0);
    EXPECT_GT(CompareText("a", "A"), 0);
    EXPECT_LT(CompareText("ab", "abc"), 0);
    EXPECT_EQ(0, CompareText("\xD6\xD0", kZhong));
}

TEST(TextSearch, FindText) {
    struct Case {
        const char* text;
        const char* sought;
        std::optional<int> start;
        bool ignoreCase;
        int want;
    } cases[] = {
        {"abcabc", "c", std::nullopt, false, 3},
        {"abcabc", "c", 4, false, 6},
        {"abcabc", "c", 3, false, 3},
        {"abcabc", "c", 7, false, -1},
        {"abcabc", "c", 0, false, 3},
        {"abcabc", "c", -5, false, 3},
        {"abcabc", "c", INT_MIN, false, 3},
        {"abcabc", "", 4, false, 1},  // empty sought answers 1, not the start
        {"abcabc", "", 7, false, -1}, // ...and -1 once the start is past the end
        {"", "", std::nullopt, false, -1},
        {"abc", "abcd", std::nullopt, false, -1},
        {"xABc", "abC", std::nullopt, true, 2},
        {"xABc", "abC", std::nullopt, false, -1},
        {"\xA3\xC1", "\xA3\xE1", std::nullopt, true, -1}, // full-width A matches only itself
        {"\xD6\xD0"
         "A",
         "A", std::nullopt, false, 3},
        {"\x81"
         "A"
         "A",
         "A", std::nullopt, false, 3}, // never begins on a trail byte
        {"\xB0\xA1\xA1\xB0", "\xA1\xA1", std::nullopt, false, -1},
        {"ab\xB0", "\xB0", std::nullopt, false, 3}, // lone lead byte at the end
        {"\xB0"
         "a",
         "a", std::nullopt, false, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.want, FindText(c.text, c.sought, c.start, c.ignoreCase))
            << "'" << c.text << "' '" << c.sought << "' start " << c.start.value_or(-999);
    }
}

TEST(TextSearch, FindTextFoldsTrailBytesInsideAMatch) {
    // The folding goes by byte value over the whole compared stretch.
    EXPECT_EQ(1, FindText("\x81"
                          "A",
                          "\x81"
                          "a",
                          std::nullopt, true));
}

TEST(TextSearch, FindTextReverse) {
    struct Case {
        const char* text;
        const char* sought;
        std::optional<int> start;
        int want;
    } cases[] = {
        {"a.b.c", ".", 5, 4},
        {"a.b.c", ".", 4, 2},
        {"a.b.c", ".", 2, -1},
        {"a.b.c", ".", std::nullopt, 4},
        {"a.b.c", ".", 99, 4},
        {"a.b.c", ".", 1, -1},
        {"a.b.c", ".", -3, -1},
        {"a.b.c", "", 2, 1},
        {"a.b.c", "", 1, -1},
        {"abab", "ab", 4, 1},
        {"\x81"
         ".",
         ".", std::nullopt, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.want, FindTextReverse(c.text, c.sought, c.start))
            << "'" << c.text << "' '" << c.sought << "' start " << c.start.value_or(-999);
    }
    EXPECT_EQ(2, FindTextReverse("xAbx", "ab", std::nullopt, true));
}

TEST(TextSearch, ReplaceText) {
    struct Case {
        const char* text;
        const char* sought;
        const char* replacement;
        bool caseSensitive;
        std::optional<int> start, count;
        const char* want;
    } cases[] = {
        {"set-cookie: a\r\nSET-COOKIE: b",
         "Set-Cookie",
         "Set-Cookie",
         false,
         {},
         {},
         "Set-Cookie: a\r\nSet-Cookie: b"},
        {"set-cookie: a", "Set-Cookie", "Set-Cookie", true, {}, {}, "set-cookie: a"},
        {"a#引号b#引号", "#引号", "\"", true, {}, {}, "a\"b\""},
        {"aaaa", "aa", "b", true, {}, {}, "bb"},
        {"aXa", "x", "", false, {}, {}, "aa"},
        {"abab", "ab", "-", true, 2, {}, "ab-"},
        {"abab", "ab", "-", true, {}, 1, "-ab"},
        {"abab", "ab", "-", true, {}, 0, "abab"},
        {"abab", "ab", "-", true, 5, {}, "abab"},
        {"abab", "", "-", true, {}, {}, "abab"},
        {"\x81"
         "ab",
         "ab",
         "-",
         true,
         {},
         {},
         "\x81"
         "ab"}, // 'a' is a trail byte
        {"ab\x81", "\x81", "-", true, {}, {}, "ab-"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.want, S(ReplaceText(c.text, c.sought, c.replacement, c.caseSensitive, c.start,
                                        c.count)))
            << c.text;
    }
}

std::vector<std::string> Elements(const TextArray& a) {
    std::vector<std::string> out;
    for (int i = 1; i <= ElementCount(a); ++i) {
        out.push_back(S(a.Element(i)));
    }
    return out;
}

TEST(TextSearch, SplitText) {
    using V = std::vector<std::string>;
    EXPECT_EQ((V{"HTTP/1.1 200 OK", "A: 1", "", "B: 2"}),
              Elements(SplitText("HTTP/1.1 200 OK\r\nA: 1\r\n\r\nB: 2\r\n", "\r\n")));
    EXPECT_EQ((V{"", "a", "", "b"}), Elements(SplitText(";a;;b;", ";")));
    EXPECT_EQ((V{"a b"}), Elements(SplitText("a b", "")));
    EXPECT_EQ(V{}, Elements(SplitText("", ";")));
    EXPECT_EQ((V{"\x81;", "x"}), Elements(SplitText("\x81;;x", ";"))); // trail byte ';'
}

TEST(TextSearch, TextBetween) {
    struct Case {
        const char* text;
        const char* want;
    } cases[] = {
        {"x目录 start<a>目录 end y", "<a>"},
        {"目录 start目录 end", ""},
        {"no markers here", ""},
        {"目录 start but no end", ""},
        {"目录 end before 目录 start", ""},
        {"目录 start1目录 end 目录 start2目录 end", "1"},
        {"a目录 start", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.want, S(TextBetween(c.text, "目录 start", "目录 end"))) << c.text;
    }
    EXPECT_EQ("5089", S(TextBetween("href=\"/course/video-5089\">", "video-", "\"")));
}

TEST(TextConversion, ToInteger) {
    struct Case {
        const char* text;
        int want;
    } cases[] = {
        {"8080/", 8080},
        {"x12", 0},
        {"", 0},
        {" \t-42abc", -42},
        {"+7", 7},
        {"\xA3\xB1\xA3\xB2\xA3\xB3", 123}, // full-width digits
        {"\xA3\xAD\xA3\xB5", -5},          // full-width minus sign
        {"\xA1\xA1"
         "9",
         9},               // full-width space is skipped
        {"4294967297", 1}, // wraps modulo 2^32
        {"2147483648", INT_MIN},
        {"-2147483648", INT_MIN},
        {"\xB0\xA3\xB1", 0}, // A3 here is a trail byte, not full-width
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.want, ToInteger(c.text)) << c.text;
    }
}

TEST(TextConversion, ToTextAndBytes) {
    EXPECT_EQ("1", S(ToText(1)));
    EXPECT_EQ("-12", S(ToText(-12)));
    EXPECT_EQ("-2147483648", S(ToText(INT_MIN)));
    EXPECT_EQ("ab", S(BytesToText(Bytes(std::string_view("ab\0c", 4)))));
    EXPECT_EQ(nullptr, BytesToText(Bytes(std::string_view("\0a", 2))).CStr());
    EXPECT_EQ(0, BytesLength(TextToBytes(Text(""))));
    EXPECT_EQ(nullptr, TextToBytes(Text("")).Data());
    EXPECT_EQ("abc", std::string(TextToBytes("abc").View()));
}

TEST(ByteBuffers, LeftBlankConcatCompare) {
    Bytes b(std::string_view("a\0b", 3));
    EXPECT_EQ(3, BytesLength(BytesLeft(b, 99)));
    EXPECT_EQ(0, BytesLength(BytesLeft(b, -1)));
    EXPECT_EQ(nullptr, BytesLeft(b, 0).Data());
    EXPECT_EQ(std::string(2, '\0'), std::string(BlankBytes(2).View()));
    EXPECT_EQ(nullptr, BlankBytes(-3).Data());
    EXPECT_EQ(0,
              CompareBytes(ConcatBytes({BytesLeft(b, 1), Bytes(std::string_view("\0b", 2))}), b));
    EXPECT_NE(0, CompareBytes(b, BytesLeft(b, 2)));
    EXPECT_EQ(0, CompareBytes(Bytes(), ConcatBytes({Bytes(), Bytes()})));
}

TEST(Arrays, AppendCountAndOutOfRangeReads) {
    TextArray a;
    EXPECT_EQ(0, ElementCount(a));
    AppendElement(a, "one");
    AppendElement(a, Text());
    EXPECT_EQ(2, ElementCount(a));
    EXPECT_EQ("one", S(a.Element(1)));
    EXPECT_EQ("", S(a.Element(2)));
    for (int outside : {0, -1, 3, INT_MAX, INT_MIN}) {
        EXPECT_EQ(nullptr, a.Element(outside).CStr()) << outside;
    }
    EXPECT_EQ(7, BitOr({1, 2, 4}));
}

} // namespace
} // namespace velkari
