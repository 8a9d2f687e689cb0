#include "fuzz/fuzz_input.h"

#include <optional>

using namespace velkari;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzInput input(data, size);
    const Text sought = input.TakeText(8);
    const Text replacement = input.TakeText(16);
    const bool caseSensitive = input.TakeBool();
    const std::optional<int> start =
        input.TakeBool() ? std::optional<int>(input.TakeInt(-4, 300)) : std::nullopt;
    const std::optional<int> count =
        input.TakeBool() ? std::optional<int>(input.TakeInt(-2, 40)) : std::nullopt;
    const Text text = input.Rest();
    const Text replaced = ReplaceText(text, sought, replacement, caseSensitive, start, count);
    const size_t most = static_cast<size_t>(text.Length()) * (replacement.Length() + 1) +
                        static_cast<size_t>(replacement.Length());
    fuzz::Require(static_cast<size_t>(replaced.Length()) <= most, "the result stays bounded");
    if (caseSensitive && sought == replacement) {
        fuzz::Require(replaced == text, "replacing a text by itself changes nothing");
    }
    return 0;
}
