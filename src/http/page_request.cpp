#include "http/http.h"
#include "http/page_request_parts.h"

#include <windows.h>
#include <wininet.h>

#include <string>
#include <vector>

namespace velkari {

namespace {

constexpr DWORD kReadChunkSize = 1024;
constexpr DWORD kHeaderBufferSize = 5000;

struct CloseInternetHandle {
    void operator()(HINTERNET handle) const { InternetCloseHandle(handle); }
};
using InternetHandle = OwnedHandle<HINTERNET, CloseInternetHandle>;

// Collects a body in blocks, so that no append copies what came before; one final copy joins
// them, and no more than that copy and the blocks are ever held.
class BodyCollector {
  public:
    void Append(const char* bytes, size_t count) {
        if (blocks_.empty() || blocks_.back().size() + count > kBlockSize) {
            blocks_.emplace_back();
            blocks_.back().reserve(kBlockSize);
        }
        blocks_.back().append(bytes, count);
        size_ += count;
    }
    Bytes Take() {
        std::string body;
        body.reserve(size_);
        for (std::string& block : blocks_) {
            body += block;
            std::string().swap(block);
        }
        blocks_.clear();
        return Bytes(std::move(body));
    }

  private:
    static constexpr size_t kBlockSize = 1 << 20;
    std::vector<std::string> blocks_;
    size_t size_ = 0;
};

Bytes ReadBody(HINTERNET request) {
    BodyCollector body;
    char chunk[kReadChunkSize] = {};
    for (;;) {
        DWORD read = 0;
        InternetReadFile(request, chunk, kReadChunkSize, &read);
        if (read == 0) {
            break;
        }
        body.Append(chunk, read);
    }
    return body.Take();
}

// The raw header block, asked for again at the size WinInet names when it does not fit the
// first buffer. A block that cannot be read at all leaves the blank buffer.
Text ReadRawHeaders(HINTERNET request) {
    std::string buffer(kHeaderBufferSize, ' ');
    DWORD length = kHeaderBufferSize;
    if (!HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, buffer.data(), &length, nullptr) &&
        GetLastError() == ERROR_INSUFFICIENT_BUFFER && length > kHeaderBufferSize) {
        std::string larger(static_cast<size_t>(length) + 1, ' ');
        if (HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, larger.data(), &length, nullptr)) {
            buffer.swap(larger);
        }
    }
    return Text(std::string_view(buffer));
}

// Set on every handle: not every WinInet passes them on from the session to its requests.
void LimitWaits(HINTERNET internet) {
    DWORD connect = kConnectTimeoutMs;
    DWORD transfer = kTransferTimeoutMs;
    InternetSetOptionA(internet, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
    InternetSetOptionA(internet, INTERNET_OPTION_SEND_TIMEOUT, &transfer, sizeof transfer);
    InternetSetOptionA(internet, INTERNET_OPTION_RECEIVE_TIMEOUT, &transfer, sizeof transfer);
}

struct Exchange {
    Bytes body;
    Text rawHeaders;
};

// Opens the three handles, sends, reads; the handles are closed, request first, when it
// returns. Nothing at all when a handle cannot be opened.
std::optional<Exchange> Exchanged(const Text& url, int method, const HttpVisitOptions& options,
                                  Text& headers, Bytes& postBytes) {
    static const char* const kVerbs[] = {"GET", "POST", "HEAD"};
    const bool secure = IsHttpsAddress(url);
    const Text agent = UserAgentFor(headers);
    const bool viaProxy = TextLength(options.proxy) > 0;
    const Text proxyName = viaProxy ? ProxyName(options.proxy, secure) : Text();
    InternetHandle internet(
        InternetOpenA(agent.CStr(), viaProxy ? INTERNET_OPEN_TYPE_PROXY : INTERNET_OPEN_TYPE_DIRECT,
                      proxyName.CStr(), viaProxy ? "" : nullptr, 0),
        {});
    if (!internet) {
        return std::nullopt;
    }
    LimitWaits(internet.get());
    const Text host = UrlHost(url);
    InternetHandle connection(InternetConnectA(internet.get(), host.CStr(),
                                               static_cast<INTERNET_PORT>(UrlPort(url)), nullptr,
                                               nullptr, INTERNET_SERVICE_HTTP, 0, 0),
                              {});
    if (!connection) {
        return std::nullopt;
    }
    const Text path = UrlPath(url);
    const DWORD flags = RequestFlags(options.cookies != nullptr, options.noRedirect, secure);
    InternetHandle request(HttpOpenRequestA(connection.get(), kVerbs[method], path.CStr(),
                                            "HTTP/1.1", nullptr, nullptr, flags, 0),
                           {});
    if (!request) {
        return std::nullopt;
    }
    LimitWaits(connection.get());
    LimitWaits(request.get());
    headers = BuildHeaderBlock(headers, url, options.cookies ? *options.cookies : Text());
    Bytes body;
    if (method != 0) {
        if (BytesLength(postBytes) == 0) {
            postBytes = TextToBytes(options.postText);
        }
        body = postBytes;
    }
    HttpSendRequestA(request.get(), headers.CStr(), static_cast<DWORD>(headers.Length()),
                     body.Data(), static_cast<DWORD>(body.Length()));
    Bytes received = ReadBody(request.get());
    Text rawHeaders = NormalizeSetCookieNames(ReadRawHeaders(request.get()));
    return Exchange{std::move(received), std::move(rawHeaders)};
}

} // namespace

Bytes HttpVisit(const Text& url, const HttpVisitOptions& options) {
    const int method = options.method < 0 || options.method > 2 ? 0 : options.method;
    Text headers = options.headers ? *options.headers : Text();
    Bytes postBytes = options.postBytes ? *options.postBytes : Bytes();
    std::optional<Exchange> exchange = Exchanged(url, method, options, headers, postBytes);
    if (!exchange) {
        return Bytes();
    }
    if (options.headers) {
        *options.headers = headers;
    }
    if (options.postBytes) {
        *options.postBytes = postBytes;
    }
    Text returnedCookies = ReturnedCookies(exchange->rawHeaders);
    if (options.cookies) {
        MergeCookies(*options.cookies, returnedCookies);
    }
    if (options.returnedHeaders) {
        *options.returnedHeaders = exchange->rawHeaders;
    }
    if (options.returnedCookies) {
        *options.returnedCookies = returnedCookies;
    }
    return std::move(exchange->body);
}

Text FetchPageText(const Text& url) {
    return BytesToText(HttpVisit(url));
}

Text HeaderValueAfterColon(const Text& text) {
    const int colon = FindText(text, ":");
    if (colon == -1) {
        return Text();
    }
    return TrimBoth(TextRight(text, TextLength(text) - colon));
}

} // namespace velkari
