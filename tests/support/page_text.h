// Text as web pages carry it, for the peers that play course sites: UTF-8, and percent escapes.
#pragma once

#include "text/text.h"

#include <string>

namespace velkari::testing {

// Code page 936 text (as the sources' literals are) in UTF-8.
inline std::string Utf8(const std::string& cp936) {
    return std::string(
        FromWide(ToWide(Text(std::string_view(cp936)), kTextCodePage), 65001).View());
}

// Every byte as a "%XX" escape.
inline std::string PercentEscaped(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string escaped;
    for (unsigned char c : bytes) {
        escaped += {'%', digits[c >> 4], digits[c & 15]};
    }
    return escaped;
}

} // namespace velkari::testing
