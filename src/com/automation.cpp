#include "com/com.h"

#include <ole2.h>

#include <string>
#include <vector>

namespace velkari {

namespace {

constexpr DWORD kFullContext = 0x17;    // in-process, local and remote servers, in-process handler
constexpr DWORD kClassicContext = 0x07; // the same without remote servers, for older systems

// Owns one interface reference inside this file.
template <class Interface> class Ref {
  public:
    Ref() = default;
    ~Ref() {
        if (pointer_ != nullptr) {
            pointer_->Release();
        }
    }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;

    Interface* Get() const { return pointer_; }
    void** Out() { return reinterpret_cast<void**>(&pointer_); }

  private:
    Interface* pointer_ = nullptr;
};

// The arguments of one call in the reversed order that IDispatch::Invoke reads them in.
class ArgumentBlock {
  public:
    explicit ArgumentBlock(ComArgs args) : values_(args.size()) {
        size_t slot = values_.size();
        for (const ComArg& arg : args) {
            --slot;
            VariantInit(&values_[slot]);
            arg.WriteTo(&values_[slot]);
        }
    }
    ~ArgumentBlock() {
        for (VARIANT& value : values_) {
            ::VariantClear(&value);
        }
    }
    ArgumentBlock(const ArgumentBlock&) = delete;
    ArgumentBlock& operator=(const ArgumentBlock&) = delete;

    VARIANT* Data() { return values_.empty() ? nullptr : values_.data(); }
    UINT Count() const { return static_cast<UINT>(values_.size()); }

  private:
    std::vector<VARIANT> values_;
};

// Frees whatever strings an object put into the exception report of a failed call.
class ExceptionReport {
  public:
    ExceptionReport() = default;
    ~ExceptionReport() {
        SysFreeString(info_.bstrSource);
        SysFreeString(info_.bstrDescription);
        SysFreeString(info_.bstrHelpFile);
    }
    ExceptionReport(const ExceptionReport&) = delete;
    ExceptionReport& operator=(const ExceptionReport&) = delete;

    EXCEPINFO* Get() { return &info_; }

  private:
    EXCEPINFO info_{};
};

BSTR NewBstr(const Text& text) {
    const std::wstring wide = ToWide(text, kTextCodePage);
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

Text BstrText(BSTR bstr) {
    return FromWide(std::wstring_view(bstr, SysStringLen(bstr)), kTextCodePage);
}

bool ClassIdOf(const Text& progId, CLSID* classId) {
    const std::wstring wide = ToWide(progId, kTextCodePage);
    if (wide.empty()) {
        return false;
    }
    if (wide.front() == L'{') {
        return SUCCEEDED(CLSIDFromString(wide.c_str(), classId));
    }
    return SUCCEEDED(CLSIDFromProgID(wide.c_str(), classId));
}

HRESULT CreateInstance(const CLSID& classId, void** object) {
    HRESULT result = CoCreateInstance(classId, nullptr, kFullContext, IID_IUnknown, object);
    if (result == E_INVALIDARG) {
        result = CoCreateInstance(classId, nullptr, kClassicContext, IID_IUnknown, object);
    }
    return result;
}

// Some headers declare the source of VariantChangeType without const; it is only read.
HRESULT ChangeType(Variant& target, const Variant& source, VARTYPE type) {
    return VariantChangeType(target.Reset(), const_cast<VARIANT*>(&source.Get()), 0, type);
}

// Looks the member up by name and invokes it; the empty variant on any failure.
Variant Invoke(const ComObject& object, const Text& name, WORD flags, ComArgs args,
               bool* succeeded = nullptr) {
    Variant result;
    if (succeeded != nullptr) {
        *succeeded = false;
    }
    Ref<IDispatch> dispatch;
    if (object.Get() == nullptr ||
        FAILED(object.Get()->QueryInterface(IID_IDispatch, dispatch.Out()))) {
        return result;
    }
    std::wstring wideName = ToWide(name, kTextCodePage);
    LPOLESTR names[] = {wideName.data()};
    DISPID member = DISPID_UNKNOWN;
    if (FAILED(dispatch.Get()->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &member))) {
        return result;
    }
    ArgumentBlock block(args);
    DISPID putId = DISPID_PROPERTYPUT;
    const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
    DISPPARAMS parameters{block.Data(), put ? &putId : nullptr, block.Count(), put ? 1u : 0u};
    ExceptionReport exception;
    UINT badArgument = 0;
    const HRESULT hr =
        dispatch.Get()->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters,
                               put ? nullptr : result.Reset(), exception.Get(), &badArgument);
    if (FAILED(hr)) {
        VariantClear(result);
    } else if (succeeded != nullptr) {
        *succeeded = true;
    }
    return result;
}

} // namespace

ComObject::~ComObject() {
    if (object_ != nullptr) {
        object_->Release();
    }
}

ComObject::ComObject(ComObject&& other) noexcept : object_(other.object_) {
    other.object_ = nullptr;
}

ComObject& ComObject::operator=(ComObject&& other) noexcept {
    if (this != &other) {
        IUnknown* const previous = object_;
        object_ = other.object_;
        other.object_ = nullptr;
        if (previous != nullptr) {
            previous->Release();
        }
    }
    return *this;
}

ComObject ComObject::FromInterface(IUnknown* object) {
    ComObject holder;
    if (object != nullptr) {
        object->AddRef();
        holder.object_ = object;
    }
    return holder;
}

Variant::Variant(Variant&& other) noexcept : value_(other.value_) {
    VariantInit(&other.value_);
}

Variant& Variant::operator=(Variant&& other) noexcept {
    if (this != &other) {
        ::VariantClear(&value_);
        value_ = other.value_;
        VariantInit(&other.value_);
    }
    return *this;
}

VARIANT* Variant::Reset() {
    ::VariantClear(&value_);
    return &value_;
}

void ComArg::WriteTo(VARIANT* target) const {
    switch (kind_) {
    case Kind::Text:
        V_VT(target) = VT_BSTR;
        V_BSTR(target) = NewBstr(text_);
        break;
    case Kind::Integer:
        V_VT(target) = VT_I4;
        V_I4(target) = integer_;
        break;
    case Kind::Boolean:
        V_VT(target) = VT_BOOL;
        V_BOOL(target) = boolean_ ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case Kind::Double:
        V_VT(target) = VT_R8;
        V_R8(target) = double_;
        break;
    case Kind::Object: {
        IDispatch* dispatch = nullptr;
        if (object_->Get() != nullptr) {
            object_->Get()->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
        }
        V_VT(target) = VT_DISPATCH;
        V_DISPATCH(target) = dispatch;
        break;
    }
    }
}

bool CreateObject(ComObject& holder, const Text& progId) {
    CLSID classId;
    if (!ClassIdOf(progId, &classId)) {
        return false;
    }
    Ref<IUnknown> created;
    if (FAILED(CreateInstance(classId, created.Out())) || FAILED(OleRun(created.Get()))) {
        return false;
    }
    holder = ComObject::FromInterface(created.Get());
    return true;
}

bool IsEmpty(const ComObject& holder) {
    return holder.Get() == nullptr;
}

void Clear(ComObject& holder) {
    holder = ComObject();
}

void CopyObject(ComObject& target, const ComObject& source) {
    target = ComObject::FromInterface(source.Get());
}

Variant CallMethod(const ComObject& object, const Text& name, ComArgs args, bool* succeeded) {
    return Invoke(object, name, DISPATCH_METHOD, args, succeeded);
}

// A method may stand where a property is read (GetResponseHeader, say), as in late-bound Basic.
Variant GetProperty(const ComObject& object, const Text& name, ComArgs args) {
    return Invoke(object, name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, args);
}

bool SetProperty(const ComObject& object, const Text& name, ComArgs argsThenValue) {
    bool succeeded = false;
    Invoke(object, name, DISPATCH_PROPERTYPUT, argsThenValue, &succeeded);
    return succeeded;
}

Text VariantText(const Variant& value) {
    if (V_VT(&value.Get()) == VT_BSTR) {
        return BstrText(V_BSTR(&value.Get()));
    }
    Variant text;
    if (FAILED(ChangeType(text, value, VT_BSTR))) {
        return Text();
    }
    return BstrText(V_BSTR(&text.Get()));
}

double VariantNumber(const Variant& value) {
    Variant number;
    if (FAILED(ChangeType(number, value, VT_R8))) {
        return 0;
    }
    return V_R8(&number.Get());
}

bool VariantBool(const Variant& value) {
    Variant boolean;
    if (FAILED(ChangeType(boolean, value, VT_BOOL))) {
        return false;
    }
    return V_BOOL(&boolean.Get()) != VARIANT_FALSE;
}

ComObject VariantObject(const Variant& value) {
    const VARTYPE type = V_VT(&value.Get());
    if (type != VT_DISPATCH && type != VT_UNKNOWN) {
        return ComObject();
    }
    return ComObject::FromInterface(V_UNKNOWN(&value.Get()));
}

void VariantClear(Variant& value) {
    value.Reset();
}

} // namespace velkari
