#include "scraper/scraper.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace velkari {

// Both converters size their output in the code page they convert, so every input converts
// whole: bytes that are not valid in it become replacement characters, nothing is cut off.

Bytes AnsiToWide(const Text& text, unsigned codePage) {
    if (TextLength(text) == 0) {
        return Bytes();
    }
    const int units = MultiByteToWideChar(codePage, 0, text.CStr(), -1, nullptr, 0);
    if (units <= 0) {
        return Bytes();
    }
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(codePage, 0, text.CStr(), -1, wide.data(), units);
    std::string bytes(wide.size() * sizeof(wchar_t), '\0');
    std::memcpy(bytes.data(), wide.data(), bytes.size());
    return Bytes(std::move(bytes));
}

Text WideToAnsi(const Bytes& wide, unsigned codePage) {
    if (BytesLength(wide) < static_cast<int>(sizeof(wchar_t))) {
        return Text();
    }
    std::wstring units(static_cast<size_t>(BytesLength(wide)) / sizeof(wchar_t), L'\0');
    std::memcpy(units.data(), wide.Data(), units.size() * sizeof(wchar_t));
    units.resize(units.find(L'\0') == std::wstring::npos ? units.size() : units.find(L'\0'));
    if (units.empty()) {
        return Text();
    }
    const int length = static_cast<int>(units.size());
    const int size =
        WideCharToMultiByte(codePage, 0, units.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return Text();
    }
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, units.data(), length, out.data(), size, nullptr, nullptr);
    return Text(std::string_view(out));
}

Text PercentDecode(const Text& text, bool convertFromUtf8) {
    const Text decoded = DecodePercentEscapes(text);
    return convertFromUtf8 ? Utf8ToAnsi(decoded) : decoded;
}

Text Utf8ToAnsi(const Text& text) {
    return WideToAnsi(AnsiToWide(text), kTextCodePage);
}

} // namespace velkari
