// Pages of random bytes for the decoding tests, the same every run.
#pragma once

#include "text/text.h"

#include <algorithm>
#include <random>
#include <string>

namespace velkari::testing {

// 200,000 bytes dense with "%", hexadecimal digits and lead bytes.
inline Text RandomPercentPage() {
    std::mt19937 random(2);
    std::string bytes(200000, '\0');
    const char alphabet[] = "%%%0123456789ABCDEFabcdefG\x80\xE4\xB8\xFF+";
    std::generate(bytes.begin(), bytes.end(),
                  [&] { return alphabet[random() % (sizeof alphabet - 1)]; });
    return Text(std::move(bytes));
}

} // namespace velkari::testing
