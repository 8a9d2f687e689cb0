#include "fuzz/fuzz_input.h"
#include "http/http.h"

#include <optional>

using namespace velkari;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzInput input(data, size);
    const bool mainDomain = input.TakeBool();
    const bool keepPort = input.TakeBool();
    const std::optional<int> levels =
        input.TakeBool() ? std::optional<int>(input.TakeInt(-3, 12)) : std::nullopt;
    const Text url = input.Rest();
    const Text host = UrlHost(url, mainDomain, keepPort, levels);
    fuzz::Require(host.Length() <= url.Length() + 7, "the host comes from the address");
    UrlPort(url);
    const Text path = UrlPath(url);
    fuzz::Require(path.Length() <= url.Length() + 1, "the path comes from the address");
    return 0;
}
