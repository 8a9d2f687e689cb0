// File names for the download manager, made from lesson titles that remote pages supply.
#include "app/file_name.h"

#include <string>
#include <string_view>

namespace velkari {

namespace {

constexpr std::string_view kForbidden = "\\/:*?\"<>|";

bool IsControlByte(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F;
}

// The full-width forms of the printable ASCII characters are A3 A1..A3 FE in code page 936, in
// ASCII order.
void AppendFullWidth(std::string& name, char c) {
    name += '\xA3';
    name += static_cast<char>(static_cast<unsigned char>(c) + 0x80);
}

// Two-byte characters are copied whole: their second byte may look like "\" or "|".
std::string SafeTitle(std::string_view title) {
    std::string safe;
    safe.reserve(title.size());
    for (size_t i = 0; i < title.size(); ++i) {
        const char c = title[i];
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) {
            safe += c;
            if (i + 1 < title.size()) {
                safe += title[++i];
            }
        } else if (kForbidden.find(c) != std::string_view::npos) {
            AppendFullWidth(safe, c);
        } else if (!IsControlByte(byte)) {
            safe += c;
        }
    }
    return safe;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

// Windows takes these names, with any extension and trailing spaces, for devices.
bool IsDeviceName(std::string_view stem) {
    while (!stem.empty() && stem.back() == ' ') {
        stem.remove_suffix(1);
    }
    for (std::string_view device : {"con", "prn", "aux", "nul"}) {
        if (SameLetters(stem, device)) {
            return true;
        }
    }
    if (stem.size() != 4 || stem[3] < '1' || stem[3] > '9') {
        return false;
    }
    return SameLetters(stem.substr(0, 3), "com") || SameLetters(stem.substr(0, 3), "lpt");
}

} // namespace

Text LessonFileName(const Text& title) {
    std::string name = SafeTitle(title.View()) + ".mp4";
    const size_t dot = name.find('.');
    if (IsDeviceName(std::string_view(name).substr(0, dot))) {
        name.insert(dot, "_");
    }
    return Text(std::string_view(name));
}

} // namespace velkari
