#include "http/page_request_parts.h"

#include <gtest/gtest.h>

namespace velkari {
namespace {

TEST(ReturnedCookies, NameValuePiecesOfTheSetCookieLines) {
    struct Case {
        const char* block;
        const char* cookies;
    } cases[] = {
        {"HTTP/1.1 200 OK\r\nSet-Cookie: a=1; Path=/\r\nSet-Cookie:  b=2 \r\n\r\n", "a=1; b=2"},
        {"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n", ""},
        {"", ""},
        {"Set-Cookie: only=1", "only=1"},
        {"set-cookie: lower=1; Path=/\r\n", ""},
        {"X-Set-Cookie-Note: a; b\r\n", ""},
        {"Set-Cookie:\r\nSet-Cookie: ;\r\n", "; "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReturnedCookies(c.block), Text(c.cookies)) << c.block;
    }
    EXPECT_EQ(ReturnedCookies(NormalizeSetCookieNames("set-cookie: lower=1; Path=/\r\n")),
              Text("lower=1"));
}

} // namespace
} // namespace velkari
