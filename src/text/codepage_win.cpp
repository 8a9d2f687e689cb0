#include "text/text.h"

#include <windows.h>

namespace velkari {

std::wstring ToWide(const Text& text, unsigned codePage) {
    if (text.Length() == 0) {
        return std::wstring();
    }
    const int size = MultiByteToWideChar(codePage, 0, text.CStr(), text.Length(), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0) {
        MultiByteToWideChar(codePage, 0, text.CStr(), text.Length(), wide.data(), size);
    }
    return wide;
}

Text FromWide(std::wstring_view wide, unsigned codePage) {
    if (wide.empty()) {
        return Text();
    }
    const int length = static_cast<int>(wide.size());
    const int size =
        WideCharToMultiByte(codePage, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        WideCharToMultiByte(codePage, 0, wide.data(), length, bytes.data(), size, nullptr, nullptr);
    }
    return bytes.empty() ? Text() : Text(std::string_view(bytes));
}

} // namespace velkari
