#include "fuzz/fuzz_input.h"
#include "scraper/scraper.h"

using namespace velkari;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzInput input(data, size);
    const Text page = input.Rest();
    const Text decoded = DecodePercentEscapes(page);
    fuzz::Require(decoded.Length() <= page.Length(), "decoding never makes a page longer");
    fuzz::Require(decoded.View().find('\0') == std::string_view::npos, "no zero byte comes out");
    return 0;
}
