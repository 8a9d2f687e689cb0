#include "support/stand_in_object.h"

#include "text/text.h"

#include <cstdio>

namespace velkari::testing {

namespace {

std::string Narrow(const wchar_t* wide) {
    return std::string(FromWide(wide, kTextCodePage).View());
}

bool SameName(const std::string& a, const std::string& b) {
    return CompareText(ToLower(Text(a)), ToLower(Text(b))) == 0;
}

std::string Describe(const VARIANT& value) {
    switch (V_VT(&value)) {
    case VT_BSTR:
        return "T:" +
               std::string(FromWide(std::wstring_view(V_BSTR(&value), SysStringLen(V_BSTR(&value))),
                                    kTextCodePage)
                               .View());
    case VT_I4:
        return "I:" + std::to_string(V_I4(&value));
    case VT_R8: {
        char number[32];
        std::snprintf(number, sizeof number, "D:%g", V_R8(&value));
        return number;
    }
    case VT_BOOL:
        return V_BOOL(&value) != VARIANT_FALSE ? "B:true" : "B:false";
    case VT_DISPATCH:
        return "O";
    default:
        return "E";
    }
}

} // namespace

void StandInObject::Define(const std::string& member, Handler handler) {
    members_.push_back(Member{member, std::move(handler)});
}

HRESULT StandInObject::QueryInterface(REFIID id, void** object) {
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDispatch)) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT StandInObject::GetTypeInfoCount(UINT* count) {
    *count = 0;
    return S_OK;
}

HRESULT StandInObject::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}

HRESULT StandInObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID locale,
                                     DISPID* ids) {
    ++lookups_;
    lastLocale_ = locale;
    if (count != 1) {
        return DISP_E_UNKNOWNNAME;
    }
    const std::string name = Narrow(names[0]);
    for (size_t i = 0; i < members_.size(); ++i) {
        if (SameName(members_[i].name, name)) {
            ids[0] = static_cast<DISPID>(i + 1);
            return S_OK;
        }
    }
    ids[0] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

HRESULT StandInObject::Invoke(DISPID id, REFIID, LCID locale, WORD flags, DISPPARAMS* parameters,
                              VARIANT* result, EXCEPINFO* exception, UINT*) {
    lastLocale_ = locale;
    if (id < 1 || static_cast<size_t>(id) > members_.size()) {
        return DISP_E_MEMBERNOTFOUND;
    }
    std::vector<const VARIANT*> args;
    Call call{members_[id - 1].name, flags, {}, std::chrono::steady_clock::now()};
    for (UINT i = parameters->cArgs; i > 0; --i) {
        args.push_back(&parameters->rgvarg[i - 1]);
        call.args.push_back(Describe(parameters->rgvarg[i - 1]));
    }
    calls_.push_back(call);
    VARIANT ignored;
    VariantInit(&ignored);
    const HRESULT hr = members_[id - 1].handler(flags, args, result ? result : &ignored);
    VariantClear(&ignored);
    if (hr == DISP_E_EXCEPTION && exception != nullptr) {
        *exception = EXCEPINFO{};
        exception->bstrSource = SysAllocString(L"StandInObject");
        exception->bstrDescription = SysAllocString(L"raised by the stand-in");
        exception->scode = E_FAIL;
    }
    return hr;
}

StandInObject::Handler AnswerText(const std::string& text) {
    return [text](WORD, const std::vector<const VARIANT*>&, VARIANT* result) {
        const std::wstring wide = ToWide(Text(text), kTextCodePage);
        V_VT(result) = VT_BSTR;
        V_BSTR(result) = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
        return S_OK;
    };
}

StandInObject::Handler AnswerInteger(int value) {
    return [value](WORD, const std::vector<const VARIANT*>&, VARIANT* result) {
        V_VT(result) = VT_I4;
        V_I4(result) = value;
        return S_OK;
    };
}

StandInObject::Handler AnswerBool(bool value) {
    return [value](WORD, const std::vector<const VARIANT*>&, VARIANT* result) {
        V_VT(result) = VT_BOOL;
        V_BOOL(result) = value ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    };
}

StandInObject::Handler AnswerObject(IDispatch* object) {
    return [object](WORD, const std::vector<const VARIANT*>&, VARIANT* result) {
        object->AddRef();
        V_VT(result) = VT_DISPATCH;
        V_DISPATCH(result) = object;
        return S_OK;
    };
}

StandInObject::Handler AnswerNothing() {
    return [](WORD, const std::vector<const VARIANT*>&, VARIANT*) { return S_OK; };
}

StandInObject::Handler Fail(HRESULT error) {
    return [error](WORD, const std::vector<const VARIANT*>&, VARIANT*) { return error; };
}

} // namespace velkari::testing
