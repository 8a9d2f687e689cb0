// The pieces of a page request that are computed before anything goes to WinInet or from what
// it gave back. Pure text work, kept apart so that it can be tested and fuzzed on its own.
#pragma once

#include "text/text.h"

#include <cstdint>
#include <utility>

namespace velkari {

bool IsHttpsAddress(const Text& url);
uint32_t RequestFlags(bool cookiesSupplied, bool noRedirect, bool secure);
// The proxy name for InternetOpenA: the proxy as it is for https, "http=" + proxy otherwise.
Text ProxyName(const Text& proxy, bool secure);
// The agent named by a User-Agent line of the caller's header lines, else the default one.
Text UserAgentFor(const Text& headers);
// The caller's header lines completed with every default line that is absent, and the Cookie
// line when `cookies` holds any.
Text BuildHeaderBlock(const Text& headers, const Text& url, const Text& cookies);
// Every Set-Cookie header name, whatever its letter case, written as "Set-Cookie".
Text NormalizeSetCookieNames(const Text& rawHeaders);
// The name=value pieces of the block's Set-Cookie lines, joined by "; ".
Text ReturnedCookies(const Text& rawHeaders);

// Owns one handle and closes it when it goes. Owners declared in the order of opening close
// in the reverse order.
template <typename Handle, typename Closer> class OwnedHandle {
  public:
    OwnedHandle(Handle handle, Closer closer) : handle_(handle), closer_(std::move(closer)) {}
    ~OwnedHandle() {
        if (handle_) {
            closer_(handle_);
        }
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return static_cast<bool>(handle_); }

  private:
    Handle handle_;
    Closer closer_;
};

} // namespace velkari
