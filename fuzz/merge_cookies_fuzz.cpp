#include "fuzz/fuzz_input.h"
#include "http/http.h"

using namespace velkari;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzInput input(data, size);
    Text oldCookies = input.TakeText(200);
    Text newCookies = input.Rest();
    const Text merged = MergeCookies(oldCookies, newCookies);
    fuzz::Require(merged == oldCookies, "the merged text is what the old cookies hold");
    const TextArray pieces = SplitText(merged, ";");
    for (int i = 1; i <= ElementCount(pieces); ++i) {
        const Text piece = TrimBoth(pieces.Element(i));
        const Text tail = TextRight(piece, 8);
        fuzz::Require(CompareText(tail, "=deleted") != 0, "no piece ends in =deleted");
    }
    fuzz::Require(FindText(newCookies, " ") == -1, "the new cookies lose their spaces");
    return 0;
}
