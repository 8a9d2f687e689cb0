#include "http/page_request_parts.h"

#include "http/http.h"

#include <string>

namespace velkari {

namespace {

constexpr uint32_t kReload = 0x80000000;       // INTERNET_FLAG_RELOAD
constexpr uint32_t kNeedFile = 0x10;           // INTERNET_FLAG_NEED_FILE
constexpr uint32_t kNoCookies = 0x80000;       // INTERNET_FLAG_NO_COOKIES
constexpr uint32_t kNoAutoRedirect = 0x200000; // INTERNET_FLAG_NO_AUTO_REDIRECT
constexpr uint32_t kSecure = 0x800000;         // INTERNET_FLAG_SECURE
constexpr uint32_t kIgnoreRedirectToHttps = 0x4000;

Text AppendedIfAbsent(const Text& headers, const Text& name, const Text& line) {
    return FindText(headers, name) == -1 ? ConcatText({headers, line}) : headers;
}

} // namespace

bool IsHttpsAddress(const Text& url) {
    return ToLower(TextLeft(url, 5)) == Text("https");
}

uint32_t RequestFlags(bool cookiesSupplied, bool noRedirect, bool secure) {
    uint32_t flags = kReload | kNeedFile;
    if (cookiesSupplied) {
        flags |= kNoCookies;
    }
    if (noRedirect) {
        flags |= kNoAutoRedirect;
    }
    return flags | (secure ? kSecure : kIgnoreRedirectToHttps);
}

Text ProxyName(const Text& proxy, bool secure) {
    return secure ? proxy : ConcatText({"http=", proxy});
}

Text UserAgentFor(const Text& headers) {
    if (FindText(headers, "User-Agent:", std::nullopt, true) == -1) {
        return DefaultUserAgent;
    }
    Text agent = TrimBoth(TextBetweenQuoted(headers, "User-Agent:", "\r\n"));
    if (TextLength(agent) == 0) {
        // The line in another letter case, or the last line without CR LF after it.
        const Text lines = ConcatText({headers, "\r\n"});
        agent = TrimBoth(TextBetweenQuoted(lines, "User-Agent:", "\r\n", 0, true));
    }
    return TextLength(agent) == 0 ? Text(DefaultUserAgent) : agent;
}

Text BuildHeaderBlock(const Text& headers, const Text& url, const Text& cookies) {
    Text block = headers;
    if (TextLength(block) == 0) {
        block = "Accept: */*";
    } else {
        block = AppendedIfAbsent(block, "Accept:", "\r\nAccept: */*");
    }
    block = AppendedIfAbsent(block, "Referer:", ConcatText({"\r\nReferer: ", url}));
    block = AppendedIfAbsent(block, "Accept-Language:", "\r\nAccept-Language: zh-cn");
    block = AppendedIfAbsent(
        block, "Content-Type:", "\r\nContent-Type: application/x-www-form-urlencoded");
    if (TextLength(cookies) > 0) {
        block = ConcatText({block, "\r\nCookie: ", cookies});
    }
    return block;
}

Text NormalizeSetCookieNames(const Text& rawHeaders) {
    return ReplaceText(rawHeaders, "Set-Cookie", "Set-Cookie", false);
}

Text ReturnedCookies(const Text& rawHeaders) {
    const TextArray lines = SplitText(rawHeaders, "\r\n");
    std::string joined;
    for (int i = 1; i <= ElementCount(lines); ++i) {
        const Text line = lines.Element(i);
        if (FindText(line, "Set-Cookie") == -1) {
            continue;
        }
        const Text piece = FindText(line, ";") != -1
                               ? TextBetweenQuoted(line, "Set-Cookie:", ";")
                               : ReplaceText(line, "Set-Cookie:", Text(), false);
        joined += TrimBoth(piece).View();
        joined += "; ";
    }
    return TextLeft(Text(joined), static_cast<int>(joined.size()) - 2);
}

} // namespace velkari
