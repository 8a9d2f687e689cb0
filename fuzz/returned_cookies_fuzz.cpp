#include "fuzz/fuzz_input.h"
#include "http/page_request_parts.h"

using namespace velkari;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzInput input(data, size);
    const Text block = NormalizeSetCookieNames(input.Rest());
    const Text cookies = ReturnedCookies(block);
    fuzz::Require(cookies.Length() <= block.Length(), "the cookies come from the block");
    return 0;
}
