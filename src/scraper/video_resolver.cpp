#include "scraper/scraper.h"

#include "com/com.h"
#include "http/http.h"

#include <objbase.h>

namespace velkari {

namespace {

// The request object's option that makes it follow redirects by itself.
constexpr int kEnableRedirectsOption = 6;

} // namespace

// Every step is tried even when an earlier one failed; a failed step only leaves an empty value.
Text ResolveVideoAddress(const Text& redirectAddress, const Text& serviceHost,
                         const Text& requestProgId) {
    CoInitialize(nullptr);
    ComObject request;
    CreateObject(request, requestProgId);
    // A silent service must not hold the run. The request runs asynchronously and is waited
    // for with a bound, because some WinHTTPs wait for a response's head without any limit
    // whatever the time-outs say.
    CallMethod(request, "SetTimeouts",
               {kConnectTimeoutMs, kConnectTimeoutMs, kTransferTimeoutMs, kTransferTimeoutMs});
    CallMethod(request, "open", {"GET", redirectAddress, true});
    CallMethod(request, "SetRequestHeader", {"Host", serviceHost});
    CallMethod(request, "SetRequestHeader", {"Connection", "keep-alive"});
    CallMethod(request, "SetRequestHeader",
               {"User-Agent", "stagefright/1.2 (Linux;Android 4.1.1)"});
    CallMethod(request, "SetRequestHeader", {"Accept-Encoding", "zgzip,deflate"});
    SetProperty(request, "option", {kEnableRedirectsOption, false});
    bool sent = false;
    CallMethod(request, "send", {}, &sent);
    if (sent && !VariantBool(CallMethod(request, "WaitForResponse", {kTransferTimeoutMs / 1000}))) {
        CallMethod(request, "Abort");
    }
    Variant location = GetProperty(request, "GetResponseHeader", {"Location"});
    const Text address = VariantText(location);
    VariantClear(location);
    Clear(request);
    return address;
}

} // namespace velkari
