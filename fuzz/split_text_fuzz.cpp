#include "fuzz/fuzz_input.h"

#include <string>

using namespace velkari;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzInput input(data, size);
    const Text delimiter = input.TakeText(8);
    const Text text = input.Rest();
    const TextArray pieces = SplitText(text, delimiter);
    std::string joined;
    for (int i = 1; i <= ElementCount(pieces); ++i) {
        joined += (i > 1 ? std::string(delimiter.View()) : std::string());
        joined += pieces.Element(i).View();
    }
    const std::string whole(text.View());
    fuzz::Require(joined == whole || joined + std::string(delimiter.View()) == whole,
                  "the pieces joined by the delimiter give the text back");
    return 0;
}
