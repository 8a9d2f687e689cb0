// Automation objects driven by ProgID and member name (late binding through IDispatch).
//
// Nothing here reports a failure: an empty holder, a missing member, a rejected argument or an
// error raised by the object all give the empty value of the kind asked for (the empty text, 0,
// false, an empty holder or an empty variant). Texts cross into COM as UTF-16 converted from
// code page 936 and come back converted into it, whatever the system's ANSI code page is.
#pragma once

#include "text/text.h"

#include <windows.h>

#include <oaidl.h>

#include <initializer_list>

namespace velkari {

// Holds one reference to an automation object, or nothing. New holders are empty.
class ComObject {
  public:
    ComObject() = default;
    ~ComObject();
    ComObject(ComObject&& other) noexcept;
    ComObject& operator=(ComObject&& other) noexcept;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    // A holder with a reference of its own to `object`; nullptr gives an empty holder.
    static ComObject FromInterface(IUnknown* object);
    IUnknown* Get() const { return object_; }

  private:
    IUnknown* object_ = nullptr;
};

// Owns one VARIANT: cleared when it goes.
class Variant {
  public:
    Variant() { VariantInit(&value_); }
    ~Variant() { ::VariantClear(&value_); }
    Variant(Variant&& other) noexcept;
    Variant& operator=(Variant&& other) noexcept;
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    const VARIANT& Get() const { return value_; }
    // Clears the value and hands it out to be filled.
    VARIANT* Reset();

  private:
    VARIANT value_;
};

// One argument of a call: text (code page 936), 32-bit integer, boolean, double or object.
class ComArg {
  public:
    ComArg(const Text& text) : kind_(Kind::Text), text_(text) {}
    ComArg(const char* text) : kind_(Kind::Text), text_(text) {}
    ComArg(int value) : kind_(Kind::Integer), integer_(value) {}
    ComArg(bool value) : kind_(Kind::Boolean), boolean_(value) {}
    ComArg(double value) : kind_(Kind::Double), double_(value) {}
    ComArg(const ComObject& object) : kind_(Kind::Object), object_(&object) {}

    // Fills `target`, which must be empty, with a value of its own.
    void WriteTo(VARIANT* target) const;

  private:
    enum class Kind { Text, Integer, Boolean, Double, Object };
    Kind kind_;
    Text text_;
    int integer_ = 0;
    bool boolean_ = false;
    double double_ = 0;
    const ComObject* object_ = nullptr;
};

using ComArgs = std::initializer_list<ComArg>;

// Creates the object of a ProgID, or of a class id written in braces, and keeps it in `holder`
// in place of what it held. On failure the holder is left as it was and the answer is false.
bool CreateObject(ComObject& holder, const Text& progId);
bool IsEmpty(const ComObject& holder);
void Clear(ComObject& holder);
// `target` gets a reference of its own to what `source` holds (nothing when it is empty).
void CopyObject(ComObject& target, const ComObject& source);

// Calls by member name; the name is looked up at every call. The raw result is handed back for
// the caller to read as the kind it needs with the Variant* functions below.
// `succeeded`, when given, tells whether the call went through.
Variant CallMethod(const ComObject& object, const Text& name, ComArgs args = {},
                   bool* succeeded = nullptr);
Variant GetProperty(const ComObject& object, const Text& name, ComArgs args = {});
// Writes the last of `argsThenValue`; any before it are indexes, as in option(6) = false.
bool SetProperty(const ComObject& object, const Text& name, ComArgs argsThenValue);

Text VariantText(const Variant& value);
double VariantNumber(const Variant& value);
bool VariantBool(const Variant& value);
ComObject VariantObject(const Variant& value);
void VariantClear(Variant& value);

} // namespace velkari
