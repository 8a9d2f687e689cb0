#include "scraper/scraper.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace velkari {

// Both converters size their output in the code page they convert, so every input converts
// whole: bytes that are not valid in it become replacement characters, nothing is cut off.

namespace {

// UTF-16 units of `text`, read in `codePage`; empty when nothing converts.
std::wstring WideUnits(const Text& text, unsigned codePage) {
    const int units =
        TextLength(text) == 0 ? 0 : MultiByteToWideChar(codePage, 0, text.CStr(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(units > 0 ? units : 0), L'\0');
    if (units > 0) {
        MultiByteToWideChar(codePage, 0, text.CStr(), -1, wide.data(), units);
    }
    return wide;
}

// `length` UTF-16 units written out in `codePage`.
Text MultiByteText(const wchar_t* units, int length, unsigned codePage) {
    const int size =
        length <= 0 ? 0
                    : WideCharToMultiByte(codePage, 0, units, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return Text();
    }
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, units, length, out.data(), size, nullptr, nullptr);
    return Text(std::move(out));
}

} // namespace

Bytes AnsiToWide(const Text& text, unsigned codePage) {
    const std::wstring wide = WideUnits(text, codePage);
    return Bytes(
        std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t)));
}

Text WideToAnsi(const Bytes& wide, unsigned codePage) {
    // Up to the first zero unit, never past the buffer's end.
    std::wstring units(static_cast<size_t>(BytesLength(wide)) / sizeof(wchar_t), L'\0');
    std::memcpy(units.data(), wide.Data(), units.size() * sizeof(wchar_t));
    const size_t zero = units.find(L'\0');
    const int length = static_cast<int>(zero == std::wstring::npos ? units.size() : zero);
    return MultiByteText(units.data(), length, codePage);
}

Text PercentDecode(const Text& text, bool convertFromUtf8) {
    const Text decoded = DecodePercentEscapes(text);
    return convertFromUtf8 ? Utf8ToAnsi(decoded) : decoded;
}

// Straight through UTF-16, without the byte buffers of AnsiToWide and WideToAnsi: a large page
// is held only once in each form.
Text Utf8ToAnsi(const Text& text) {
    const std::wstring wide = WideUnits(text, 65001);
    const size_t zero = wide.find(L'\0');
    return MultiByteText(wide.data(),
                         static_cast<int>(zero == std::wstring::npos ? wide.size() : zero),
                         kTextCodePage);
}

} // namespace velkari
