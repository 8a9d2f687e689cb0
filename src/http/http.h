// The HTTP page client: one request over WinInet per call, with the routines that take a page
// address apart and merge cookie texts (the latter two are pure text work).
#pragma once

#include "text/text.h"

#include <optional>

namespace velkari {

// Address parts. The host comes back in lower case; no routine parses by a grammar, so unusual
// addresses give whatever the text steps make of them.
Text UrlHost(const Text& url, bool mainDomain = false, bool keepPort = false,
             std::optional<int> levels = std::nullopt);
int UrlPort(const Text& url);
Text UrlPath(const Text& url);
// The text between the first startMarker at or after startPos and the next endMarker; "#引号"
// in a marker stands for a double quote.
Text TextBetweenQuoted(const Text& text, const Text& startMarker, const Text& endMarker,
                       int startPos = 0, bool ignoreCase = false);

// Cookie texts: pieces name=value separated by ";". MergeCookies rewrites both arguments:
// oldCookies receives the merged text (new pieces first, "=deleted" ones dropped, each piece
// once) and newCookies loses its spaces. It returns a copy of the merged text.
Text MergeCookies(Text& oldCookies, Text& newCookies);
Text CookieName(const Text& pair);
bool CookieListHasName(const TextArray& pairs, const Text& name);
Text JoinUnique(const Text& text, const Text& separator);
int FindInTextArray(const TextArray& array, const Text& text);

// Everything of a page request but its address. A left-out in/out or out parameter is a null
// pointer; `cookies` counts as supplied whenever it points somewhere, even at an empty text.
struct HttpVisitOptions {
    int method = 0; // 0 GET, 1 POST, 2 HEAD; anything else is GET
    Text postText;
    Text* cookies = nullptr;         // in/out: sent, then merged with what the response sets
    Text* returnedCookies = nullptr; // out: the response's cookie pieces, joined by "; "
    Text* headers = nullptr;         // in/out: extra request lines; receives the sent block
    Text* returnedHeaders = nullptr; // out: the raw response header block
    bool noRedirect = false;
    Bytes* postBytes = nullptr; // in/out: the body; filled from postText when empty
    Text proxy;                 // host:port, empty for a direct connection
};

// How long a request waits on a silent server: for its connection, and for each send and each
// receive. A server that trickles bytes keeps a request alive; one that falls silent ends it.
constexpr int kConnectTimeoutMs = 10000;
constexpr int kTransferTimeoutMs = 20000;

constexpr const char* DefaultUserAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

Bytes HttpVisit(const Text& url, const HttpVisitOptions& options = {});
// The body of a plain GET as text, ending before its first zero byte; empty on any failure.
Text FetchPageText(const Text& url);
Text HeaderValueAfterColon(const Text& text);

} // namespace velkari
