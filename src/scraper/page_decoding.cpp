// Percent escapes, resolved byte by byte. Pure text work: the code-page conversion that may
// follow lives in code_page_win.cpp.
#include "scraper/scraper.h"

#include <string>

namespace velkari {

namespace {

constexpr int kNoByte = -1;

// The value of one escape digit: 0-15 for a hexadecimal digit of either case, 0 past the end
// of the text (an empty digit), -2 for anything else.
int DigitValue(int byte) {
    if (byte == kNoByte) {
        return 0;
    }
    if (byte >= '0' && byte <= '9') {
        return byte - '0';
    }
    if (byte >= 'a' && byte <= 'f') {
        return byte - 'a' + 10;
    }
    if (byte >= 'A' && byte <= 'F') {
        return byte - 'A' + 10;
    }
    return -2;
}

} // namespace

Text DecodePercentEscapes(const Text& text) {
    const std::string_view s = text.View();
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            out += s[i];
            continue;
        }
        auto byteAt = [&s](size_t at) {
            return at < s.size() ? static_cast<unsigned char>(s[at]) : kNoByte;
        };
        const int code = DigitValue(byteAt(i + 1)) * 16 + DigitValue(byteAt(i + 2));
        i += 2;
        const char decoded = static_cast<char>(code & 0xFF); // -34 gives 0xDE
        if (decoded != '\0') {
            out += decoded;
        }
    }
    return out.empty() ? Text() : Text(std::move(out));
}

} // namespace velkari
