#include "http/http.h"

#include <gtest/gtest.h>

#include <string>

namespace velkari {
namespace {

std::string S(const Text& t) {
    return std::string(t.View());
}

TEST(UrlHost, Table) {
    struct Case {
        const char* url;
        bool mainDomain, keepPort;
        std::optional<int> levels;
        const char* want;
    } cases[] = {
        {"HTTP://W.X.Y:81/P", false, false, {}, "w.x.y"},
        {"HTTP://W.X.Y:81/P", false, true, {}, "w.x.y:81"},
        {"w.x.y/q", false, false, {}, "w.x.y"},
        {"https://x.y", false, false, {}, "x.y"},
        {"x.y/?u=http://z/", false, false, {}, "z"},
        {"http://x.y?q=1", false, false, {}, "x.y?q=1"},
        {"http://w.x.y.z/", true, false, {}, "y.z"},
        {"http://localhost/", true, false, {}, "localhost"},
        {"w.x.y.z", true, false, 0, "z"},
        {"w.x.y.z", true, false, 1, "y.z"},
        {"w.x.y.z", false, false, 0, "y.z"},
        {"w.x.y.z", false, false, 1, "x.y.z"},
        {"w.x.y.z", false, false, 2, "w.x.y.z"},
        {"http://w.x.y.z:8080/p", false, true, 1, "x.y.z:8080"},
        {"http://w.x.y.z/p", false, false, -3, "y.z"},
        {"", false, false, {}, ""},
        {"http://", false, false, {}, ""},
        {":/:/", false, false, {}, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.want, S(UrlHost(c.url, c.mainDomain, c.keepPort, c.levels)))
            << c.url << " main " << c.mainDomain << " port " << c.keepPort << " levels "
            << c.levels.value_or(-99);
    }
}

TEST(UrlPort, Table) {
    struct Case {
        const char* url;
        int want;
    } cases[] = {
        {"https://x.y/p", 443},
        {"HTTPS://x.y", 443},
        {"http://x.y:8080/", 8080},
        {"x.y", 80},
        {"http://x.y:/", 0},
        {"http://127.0.0.1:5089/a:b", 5089},
        {"", 80},
        {"http://x.y:8o/", 8},
        {"https://x.y:8443", 8443},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.want, UrlPort(c.url)) << c.url;
    }
}

TEST(UrlPath, Table) {
    struct Case {
        const char* url;
        const char* want;
    } cases[] = {
        {"http://X.y/P/q?r=1", "/P/q?r=1"},
        {"http://x.y", "/"},
        {"http://x.y?q=1", "/"},
        {"x.y/a/b", "/a/b"},
        {"http://x.y:81/course/video-5089", "/course/video-5089"},
        {"", "/"},
        {"http://", "//"}, // the empty host is found at byte 1
        {"//", "//"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.want, S(UrlPath(c.url))) << c.url;
    }
}

TEST(TextBetweenQuoted, Table) {
    struct Case {
        const char* text;
        const char* start;
        const char* end;
        int startPos;
        bool ignoreCase;
        const char* want;
    } cases[] = {
        {"x id=\"42\" y", "id=#引号", "#引号", 0, false, "42"},
        {"x id=\"42\" y", "nope", "\"", 0, false, ""},
        {"a<b", "<", ">", 0, false, ""},
        {"a<>b", "<", ">", 0, false, ""},
        {"a<b>c", "<", "", 0, false, ""},
        {"abc>d", "", ">", 3, false, "abc"},
        {"<1> <2>", "<", ">", 2, false, "2"},
        {"User-Agent: Q\r\n", "user-agent:", "\r\n", 0, true, " Q"},
        {"User-Agent: Q\r\n", "user-agent:", "\r\n", 0, false, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.want, S(TextBetweenQuoted(c.text, c.start, c.end, c.startPos, c.ignoreCase)))
            << c.text << " | " << c.start << " | " << c.end;
    }
}

TEST(MergeCookies, Table) {
    struct Case {
        const char* oldCookies;
        const char* newCookies;
        const char* merged;
        const char* newAfter;
    } cases[] = {
        {"a=1; b=2", "b=3", "b=3; a=1", "b=3"},
        {"a=1", "a=deleted", "", "a=deleted"},
        {"a=1;a=2", "", "a=1", ""},
        {"", "x=1; x=1", "x=1", "x=1;x=1"},
        {"", "x=1; x=2", "x=1; x=2", "x=1;x=2"},
        {"a=x y", "", "a=xy", ""},
        {"", "a=1; b=2", "a=1; b=2", "a=1;b=2"},
        {"flag", "b=1", "b=1; flag", "b=1"},
        {"flag; c=1", "flag=2", "flag=2; c=1", "flag=2"},
        {"a=1;;b=2", "", "a=1; ; b=2", ""},
        {"", "", "", ""},
        {"s=old=deleted", "t=1;", "t=1", "t=1;"},
    };
    for (const Case& c : cases) {
        Text oldCookies = c.oldCookies;
        Text newCookies = c.newCookies;
        Text result = MergeCookies(oldCookies, newCookies);
        EXPECT_EQ(c.merged, S(oldCookies)) << c.oldCookies << " + " << c.newCookies;
        EXPECT_EQ(c.merged, S(result)) << c.oldCookies << " + " << c.newCookies;
        EXPECT_EQ(c.newAfter, S(newCookies)) << c.oldCookies << " + " << c.newCookies;
    }
}

TEST(CookieHelpers, NamesListsAndUniqueJoins) {
    EXPECT_EQ("a", S(CookieName(" a =1")));
    EXPECT_EQ("flag", S(CookieName(" flag ")));
    EXPECT_EQ("", S(CookieName("=v")));
    TextArray pairs = SplitText("A=1;b=2", ";");
    EXPECT_TRUE(CookieListHasName(pairs, "b"));
    EXPECT_FALSE(CookieListHasName(pairs, "a")) << "names keep their letter case";
    EXPECT_EQ(2, FindInTextArray(pairs, "b=2"));
    EXPECT_EQ(-1, FindInTextArray(pairs, "b=3"));
    EXPECT_EQ("x; y", S(JoinUnique("x; y; x; y", "; ")));
    EXPECT_EQ("", S(JoinUnique("", "; ")));
}

} // namespace
} // namespace velkari
