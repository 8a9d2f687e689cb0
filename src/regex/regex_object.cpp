#include "regex/regex.h"

#include <objbase.h>

namespace velkari {

namespace {

// Item takes its index as a floating-point number, as late-bound Basic passes it.
ComObject Item(const ComObject& collection, int index) {
    return VariantObject(GetProperty(collection, "Item", {static_cast<double>(index)}));
}

// The engine reports match positions in UTF-16 units, where a two-byte character counts once,
// so a byte search from that number never starts past the match itself.
int BytePosition(const Text& subject, const Text& found, const Variant& firstIndex,
                 const ComObject& engine) {
    const int start = static_cast<int>(VariantNumber(firstIndex));
    const bool ignoreCase = VariantBool(GetProperty(engine, "IgnoreCase"));
    return FindText(subject, found, start, ignoreCase) - 1;
}

} // namespace

RegexObject::RegexObject() {
    CoInitialize(nullptr);
}

// The matches are released before COM is uninitialised: when that call is the thread's last,
// it unloads the engine's code, and a later release would call into nothing.
RegexObject::~RegexObject() {
    Clear(engine_);
    subject_ = Text();
    Clear(matches_);
    CoUninitialize();
}

std::unique_ptr<RegexObject> RegexObject::Copy() const {
    auto copy = std::make_unique<RegexObject>();
    CopyObject(copy->engine_, engine_);
    CopyObject(copy->matches_, matches_);
    copy->subject_ = subject_;
    return copy;
}

bool RegexObject::Create(const Text& pattern, const Text& subject, std::optional<bool> ignoreCase,
                         std::optional<bool> multiline, std::optional<bool> global) {
    Clear(engine_);
    CreateObject(engine_, "VBScript.RegExp");
    SetProperty(engine_, "IgnoreCase", {ignoreCase.value_or(true)});
    SetProperty(engine_, "Multiline", {multiline.value_or(true)});
    // The engine has no such member, so this write fails: a dot never matches a line feed.
    SetProperty(engine_, "Singleline", {true});
    SetProperty(engine_, "Global", {global.value_or(true)});
    SetProperty(engine_, "Pattern", {pattern});
    ComObject found = VariantObject(CallMethod(engine_, "Execute", {subject}));
    matches_ = std::move(found);
    subject_ = subject;
    return !IsEmpty(matches_);
}

void RegexObject::EmptyOperation() {}

Text RegexObject::GetPattern() const {
    if (IsEmpty(engine_)) {
        return Text();
    }
    return VariantText(GetProperty(engine_, "Pattern"));
}

Text RegexObject::Replace(const Text& replacement) const {
    return VariantText(CallMethod(engine_, "Replace", {subject_, replacement}));
}

int RegexObject::MatchCount() const {
    return static_cast<int>(VariantNumber(GetProperty(matches_, "Count")));
}

Text RegexObject::MatchText(int index, int* position) const {
    const ComObject match = Item(matches_, index - 1);
    const Text text = VariantText(GetProperty(match, "Value"));
    if (position != nullptr) {
        *position = BytePosition(subject_, text, GetProperty(match, "FirstIndex"), engine_);
    }
    return text;
}

Text RegexObject::SubMatchText(int matchIndex, int subIndex, int* position) const {
    const ComObject match = Item(matches_, matchIndex - 1);
    const ComObject groups = VariantObject(GetProperty(match, "SubMatches"));
    const Text text = VariantText(GetProperty(groups, "Item", {static_cast<double>(subIndex - 1)}));
    if (position != nullptr) {
        *position = BytePosition(subject_, text, GetProperty(match, "FirstIndex"), engine_);
    }
    return text;
}

int RegexObject::SubMatchCount() const {
    const ComObject first = VariantObject(GetProperty(matches_, "Item", {0}));
    const ComObject groups = VariantObject(GetProperty(first, "SubMatches"));
    return static_cast<int>(VariantNumber(GetProperty(groups, "Count")));
}

} // namespace velkari
