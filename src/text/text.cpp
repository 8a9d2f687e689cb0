#include "text/text.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace velkari {

namespace {

bool IsLeadByte(char c) {
    return static_cast<unsigned char>(c) >= 0x80;
}

// Width of the character at `pos`: two bytes for a lead byte, unless the text ends after it.
size_t CharWidth(std::string_view s, size_t pos) {
    return IsLeadByte(s[pos]) && pos + 1 < s.size() ? 2 : 1;
}

// An empty result is the form without a buffer; everything else gets a buffer of its own.
Text MakeText(std::string_view bytes) {
    return bytes.empty() ? Text() : Text(bytes);
}

char FoldAsciiUpper(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 0x20) : c;
}

bool SameBytes(const char* a, const char* b, size_t n, bool ignoreCase) {
    if (!ignoreCase) {
        return std::memcmp(a, b, n) == 0;
    }
    for (size_t i = 0; i < n; ++i) {
        if (FoldAsciiUpper(a[i]) != FoldAsciiUpper(b[i])) {
            return false;
        }
    }
    return true;
}

constexpr size_t kNone = std::string_view::npos;

// Walks [begin, end) of `text` one character at a time and answers the 0-based offset of the
// first (or last) occurrence of `sought` that lies wholly inside that region.
size_t FindInRegion(std::string_view text, size_t begin, size_t end, std::string_view sought,
                    bool ignoreCase, bool wantLast) {
    size_t found = kNone;
    // A lead byte always moves on by two, so a lone lead byte at the end ends the walk.
    for (size_t pos = begin; pos < end; pos += IsLeadByte(text[pos]) ? 2 : 1) {
        if (end - pos >= sought.size() &&
            SameBytes(text.data() + pos, sought.data(), sought.size(), ignoreCase)) {
            found = pos;
            if (!wantLast) {
                break;
            }
        }
    }
    return found;
}

// max(start - 1, 0) without overflow for the most negative start.
size_t RegionOffset(int start) {
    return start > 1 ? static_cast<size_t>(start) - 1 : 0;
}

int ToPosition(size_t offset) {
    return offset == kNone ? -1 : static_cast<int>(offset) + 1;
}

bool IsSpaceAt(std::string_view s, size_t pos, size_t* width) {
    if (s[pos] == ' ') {
        *width = 1;
        return true;
    }
    *width = CharWidth(s, pos);
    return *width == 2 && s[pos] == '\xA1' && s[pos + 1] == '\xA1';
}

// Full-width forms of code page 936 that ToInteger reads as their one-byte forms.
char NarrowForm(unsigned char lead, unsigned char trail) {
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
        return static_cast<char>(trail - 0x80);
    }
    if (lead == 0xA1) {
        switch (trail) {
        case 0xA1:
            return ' ';
        case 0xAB:
            return '~';
        case 0xEE:
        case 0xEF:
            return '*';
        }
    }
    return 0;
}

std::string NarrowFullWidthForms(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t pos = 0; pos < s.size();) {
        size_t width = CharWidth(s, pos);
        char narrow = width == 2 ? NarrowForm(s[pos], s[pos + 1]) : 0;
        if (narrow != 0) {
            out += narrow;
        } else {
            out.append(s, pos, width);
        }
        pos += width;
    }
    return out;
}

template <typename Map> Text MapOneByteChars(const Text& text, Map map) {
    std::string out(text.View());
    for (size_t pos = 0; pos < out.size(); pos += CharWidth(out, pos)) {
        if (!IsLeadByte(out[pos])) {
            out[pos] = map(out[pos]);
        }
    }
    return MakeText(out);
}

} // namespace

Text::Text(const char* zeroTerminated) {
    if (zeroTerminated != nullptr) {
        bytes_ = std::make_shared<const std::string>(zeroTerminated);
    }
}

Text::Text(std::string_view bytes)
    : bytes_(std::make_shared<const std::string>(bytes.substr(0, bytes.find('\0')))) {}

Text::Text(std::string&& bytes) {
    const size_t zero = bytes.find('\0');
    if (zero != std::string::npos) {
        bytes.resize(zero);
    }
    bytes_ = std::make_shared<const std::string>(std::move(bytes));
}

bool operator==(const Text& a, const Text& b) {
    return a.View() == b.View();
}
bool operator!=(const Text& a, const Text& b) {
    return !(a == b);
}

Text TextArray::Element(int number) const {
    if (number < 1 || number > ElementCount()) {
        return Text();
    }
    return elements_[static_cast<size_t>(number) - 1];
}

int TextLength(const Text& text) {
    return text.Length();
}

Text TextLeft(const Text& text, int count) {
    if (count <= 0) {
        return Text();
    }
    return MakeText(text.View().substr(0, static_cast<size_t>(count)));
}

Text TextRight(const Text& text, int count) {
    if (count <= 0) {
        return Text();
    }
    std::string_view s = text.View();
    size_t n = std::min(s.size(), static_cast<size_t>(count));
    return MakeText(s.substr(s.size() - n));
}

Text TextMid(const Text& text, int start, int count) {
    if (start < 1 || start > text.Length() || count <= 0) {
        return Text();
    }
    return MakeText(text.View().substr(static_cast<size_t>(start) - 1, static_cast<size_t>(count)));
}

Text CharFromCode(int code) {
    const char c = static_cast<char>(code);
    return c == 0 ? Text() : Text(std::string_view(&c, 1));
}

Text ConcatText(std::initializer_list<Text> parts) {
    std::string out;
    for (const Text& part : parts) {
        out += part.View();
    }
    return Text(std::string_view(out));
}

Text BlankText(int count) {
    return count < 1 ? Text() : Text(std::string(static_cast<size_t>(count), ' '));
}

Text ToLower(const Text& text) {
    return MapOneByteChars(text, [](char c) { return FoldAsciiUpper(c); });
}

Text ToUpper(const Text& text) {
    return MapOneByteChars(
        text, [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 0x20) : c; });
}

Text TrimBoth(const Text& text) {
    std::string_view s = text.View();
    size_t width = 0;
    size_t begin = 0;
    while (begin < s.size() && IsSpaceAt(s, begin, &width)) {
        begin += width;
    }
    // The trailing run can only be found walking forward: a space byte may be a trail byte.
    size_t end = begin;
    for (size_t pos = begin; pos < s.size(); pos += width) {
        if (!IsSpaceAt(s, pos, &width)) {
            end = pos + width;
        }
    }
    return MakeText(s.substr(begin, end - begin));
}

Text RemoveSpaces(const Text& text) {
    std::string_view s = text.View();
    std::string out;
    size_t width = 0;
    for (size_t pos = 0; pos < s.size(); pos += width) {
        if (!IsSpaceAt(s, pos, &width)) {
            out.append(s, pos, width);
        }
    }
    return MakeText(out);
}

int CompareText(const Text& a, const Text& b) {
    return a.View().compare(b.View());
}

int FindText(const Text& text, const Text& sought, std::optional<int> start, bool ignoreCase) {
    std::string_view s = text.View();
    const size_t begin = start ? RegionOffset(*start) : 0;
    if (begin >= s.size()) {
        return -1;
    }
    if (sought.Length() == 0) {
        return 1;
    }
    return ToPosition(FindInRegion(s, begin, s.size(), sought.View(), ignoreCase, false));
}

int FindTextReverse(const Text& text, const Text& sought, std::optional<int> start,
                    bool ignoreCase) {
    std::string_view s = text.View();
    const size_t end = start ? std::min(RegionOffset(*start), s.size()) : s.size();
    if (end == 0) {
        return -1;
    }
    if (sought.Length() == 0) {
        return 1;
    }
    return ToPosition(FindInRegion(s, 0, end, sought.View(), ignoreCase, true));
}

Text ReplaceText(const Text& text, const Text& sought, const Text& replacement, bool caseSensitive,
                 std::optional<int> start, std::optional<int> count) {
    std::string_view s = text.View();
    std::string_view from = sought.View();
    const size_t begin = RegionOffset(start.value_or(1));
    if (s.empty() || from.empty() || begin >= s.size() || count == 0) {
        return text;
    }
    std::string out;
    out.reserve(s.size());
    size_t copied = 0; // bytes of `s` already in `out`, matched or copied unchanged
    int done = 0;
    size_t pos = begin;
    while (s.size() - pos >= from.size()) {
        if (SameBytes(s.data() + pos, from.data(), from.size(), !caseSensitive)) {
            out.append(s, copied, pos - copied);
            out += replacement.View();
            pos += from.size();
            copied = pos;
            if (count && ++done == *count) {
                break;
            }
        } else {
            pos += CharWidth(s, pos);
        }
    }
    out.append(s.substr(copied));
    return MakeText(out);
}

TextArray SplitText(const Text& text, const Text& delimiter) {
    TextArray pieces;
    std::string_view s = text.View();
    std::string_view d = delimiter.View();
    if (s.empty()) {
        return pieces;
    }
    if (d.empty()) {
        pieces.Append(text);
        return pieces;
    }
    size_t pieceStart = 0;
    size_t pos = 0;
    while (s.size() - pos >= d.size()) {
        if (s.compare(pos, d.size(), d) == 0) {
            pieces.Append(MakeText(s.substr(pieceStart, pos - pieceStart)));
            pos += d.size();
            pieceStart = pos;
        } else {
            pos += CharWidth(s, pos);
        }
    }
    if (pieceStart < s.size()) {
        pieces.Append(MakeText(s.substr(pieceStart)));
    }
    return pieces;
}

Text TextBetween(const Text& text, const Text& startMarker, const Text& endMarker) {
    const int a = FindText(text, startMarker);
    if (a == -1) {
        return Text();
    }
    const int p = a + TextLength(startMarker);
    const int e = FindText(text, endMarker, p);
    if (e == -1) {
        return Text();
    }
    return TextMid(text, p, e - p);
}

int ToInteger(const Text& text) {
    const std::string s = NarrowFullWidthForms(text.View());
    size_t pos = 0;
    while (pos < s.size() && std::strchr(" \t\n\v\f\r", s[pos]) != nullptr) {
        ++pos;
    }
    bool negative = false;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
        negative = s[pos] == '-';
        ++pos;
    }
    uint32_t value = 0;
    for (; pos < s.size() && s[pos] >= '0' && s[pos] <= '9'; ++pos) {
        value = value * 10u + static_cast<uint32_t>(s[pos] - '0');
    }
    if (negative) {
        value = 0u - value;
    }
    return static_cast<int>(value);
}

Text ToText(int value) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%d", value);
    return Text(digits);
}

Text BytesToText(const Bytes& bytes) {
    return MakeText(bytes.View().substr(0, bytes.View().find('\0')));
}

Bytes TextToBytes(const Text& text) {
    return Bytes(text.View());
}

int BytesLength(const Bytes& bytes) {
    return bytes.Length();
}

Bytes BytesLeft(const Bytes& bytes, int count) {
    return count <= 0 ? Bytes() : Bytes(bytes.View().substr(0, static_cast<size_t>(count)));
}

Bytes BlankBytes(int count) {
    return count <= 0 ? Bytes() : Bytes(std::string(static_cast<size_t>(count), '\0'));
}

Bytes ConcatBytes(std::initializer_list<Bytes> parts) {
    std::string out;
    for (const Bytes& part : parts) {
        out += part.View();
    }
    return Bytes(std::move(out));
}

int CompareBytes(const Bytes& a, const Bytes& b) {
    return a.View().compare(b.View());
}

int BitOr(std::initializer_list<int> values) {
    int result = 0;
    for (int v : values) {
        result |= v;
    }
    return result;
}

int ElementCount(const TextArray& array) {
    return array.ElementCount();
}

void AppendElement(TextArray& array, const Text& text) {
    array.Append(text);
}

} // namespace velkari
