// Text values of the program: code page 936 text, byte buffers and arrays of text, with the
// operations every other folder builds on.
//
// Positions are 1-based byte positions and a search that finds nothing answers -1. Callers feed
// such results unchecked into further arithmetic, so every operation answers out-of-range
// positions and counts with an empty or clamped result instead of failing.
//
// A byte 0x80-0xFF is the lead byte of a two-byte character, decided by byte value alone. The
// scanning operations step over such a character as one unit; the counting ones count bytes.
//
// Everything here is pure text work except ToWide and FromWide, which live in codepage_win.cpp.
#pragma once

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velkari {

// Immutable text without zero bytes. The empty text exists in two forms that compare equal
// everywhere: without a buffer (the default, handed to Windows as a null pointer) and with an
// empty buffer (handed over as ""). Copies share the bytes.
class Text {
  public:
    Text() = default;
    // The bytes before the first zero byte, in a buffer of their own; nullptr gives the form
    // without a buffer. Implicit so that literals read naturally at call sites.
    Text(const char* zeroTerminated);
    explicit Text(std::string_view bytes);
    // The same, taking the bytes over without copying them.
    explicit Text(std::string&& bytes);

    int Length() const { return bytes_ ? static_cast<int>(bytes_->size()) : 0; }
    bool HasBuffer() const { return bytes_ != nullptr; }
    // nullptr for the form without a buffer.
    const char* CStr() const { return bytes_ ? bytes_->c_str() : nullptr; }
    std::string_view View() const {
        return bytes_ ? std::string_view(*bytes_) : std::string_view();
    }

  private:
    std::shared_ptr<const std::string> bytes_;
};

bool operator==(const Text& a, const Text& b);
bool operator!=(const Text& a, const Text& b);

// A counted byte buffer that may hold zero bytes. The empty value has no buffer.
class Bytes {
  public:
    Bytes() = default;
    explicit Bytes(std::string_view bytes) : bytes_(bytes) {}
    // Takes the bytes over without copying them.
    explicit Bytes(std::string&& bytes) : bytes_(std::move(bytes)) {}

    int Length() const { return static_cast<int>(bytes_.size()); }
    // nullptr for the empty value; otherwise Length() bytes that a Windows function may fill.
    char* Data() { return bytes_.empty() ? nullptr : bytes_.data(); }
    const char* Data() const { return bytes_.empty() ? nullptr : bytes_.data(); }
    std::string_view View() const { return bytes_; }

  private:
    std::string bytes_;
};

// A growable array of texts numbered from 1.
class TextArray {
  public:
    int ElementCount() const { return static_cast<int>(elements_.size()); }
    // Element `number`; the empty text for any number outside 1..ElementCount().
    Text Element(int number) const;
    void Append(const Text& text) { elements_.push_back(text); }
    void RemoveAll() { elements_.clear(); }

  private:
    std::vector<Text> elements_;
};

// Measuring, cutting and building.
int TextLength(const Text& text);
Text TextLeft(const Text& text, int count);
Text TextRight(const Text& text, int count);
Text TextMid(const Text& text, int start, int count);
Text CharFromCode(int code);
Text ConcatText(std::initializer_list<Text> parts);
Text BlankText(int count);
Text ToLower(const Text& text);
Text ToUpper(const Text& text);
Text TrimBoth(const Text& text);
Text RemoveSpaces(const Text& text);
int CompareText(const Text& a, const Text& b);

// Searching and rewriting. Note the opposite sense of the case flags: FindText's ignoreCase
// folds A-Z and a-z when true, ReplaceText's caseSensitive demands exact case when true.
int FindText(const Text& text, const Text& sought, std::optional<int> start = std::nullopt,
             bool ignoreCase = false);
int FindTextReverse(const Text& text, const Text& sought, std::optional<int> start = std::nullopt,
                    bool ignoreCase = false);
// An empty replacement deletes what it replaces. Without `count` every occurrence is replaced.
Text ReplaceText(const Text& text, const Text& sought, const Text& replacement, bool caseSensitive,
                 std::optional<int> start = std::nullopt, std::optional<int> count = std::nullopt);
TextArray SplitText(const Text& text, const Text& delimiter);
// The bytes between the first startMarker and the first endMarker after it; empty when either
// is missing. Both searches are case-sensitive.
Text TextBetween(const Text& text, const Text& startMarker, const Text& endMarker);

// Conversions.
int ToInteger(const Text& text);
Text ToText(int value);
Text BytesToText(const Bytes& bytes);
Bytes TextToBytes(const Text& text);

// Byte buffers.
int BytesLength(const Bytes& bytes);
Bytes BytesLeft(const Bytes& bytes, int count);
Bytes BlankBytes(int count);
Bytes ConcatBytes(std::initializer_list<Bytes> parts);
int CompareBytes(const Bytes& a, const Bytes& b);

// Integers and arrays.
int BitOr(std::initializer_list<int> values);
int ElementCount(const TextArray& array);
void AppendElement(TextArray& array, const Text& text);

// The code page of all text inside the program.
constexpr unsigned kTextCodePage = 936;

// Conversion at the edge to Windows' wide functions, in an explicit code page. Characters that
// the target cannot hold become the code page's default character; nothing is cut short.
std::wstring ToWide(const Text& text, unsigned codePage);
Text FromWide(std::wstring_view wide, unsigned codePage);

} // namespace velkari
