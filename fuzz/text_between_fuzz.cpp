#include "fuzz/fuzz_input.h"
#include "http/http.h"

using namespace velkari;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzInput input(data, size);
    const Text start = input.TakeText(24);
    const Text end = input.TakeText(24);
    const int from = input.TakeInt(-4, 64);
    const bool ignoreCase = input.TakeBool();
    const Text page = input.Rest();
    fuzz::Require(fuzz::Contains(page, TextBetween(page, start, end)),
                  "TextBetween gives a part of its text");
    fuzz::Require(fuzz::Contains(page, TextBetweenQuoted(page, start, end, from, ignoreCase)) ||
                      FindText(start, "#") != -1 || FindText(end, "#") != -1,
                  "TextBetweenQuoted gives a part of its text");
    return 0;
}
