// An automation object made by a test: its members are handlers looked up by name in any letter
// case, and it records every name lookup and call so that a test can see exactly what a caller
// did. It lives as long as the test keeps it; counted references are only watched, so a test
// can tell whether its callers gave back every reference they took.
#pragma once

#include <windows.h>

#include <oaidl.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace velkari::testing {

class StandInObject final : public IDispatch {
  public:
    // The arguments come in the order the caller wrote them: indexes first, a written value last.
    using Handler = std::function<HRESULT(WORD flags, const std::vector<const VARIANT*>& args,
                                          VARIANT* result)>;

    struct Call {
        std::string member;
        WORD flags;
        // One entry per argument: "T:" and the text in code page 936, "I:5", "D:2.5",
        // "B:true", "O" for an object, "E" for anything else.
        std::vector<std::string> args;
        std::chrono::steady_clock::time_point at;
    };

    StandInObject() = default;
    StandInObject(const StandInObject&) = delete;
    StandInObject& operator=(const StandInObject&) = delete;

    void Define(const std::string& member, Handler handler);
    // The references taken by others, beyond the object's own.
    ULONG References() const { return references_; }
    const std::vector<Call>& Calls() const { return calls_; }
    int Lookups() const { return lookups_; }
    LCID LastLocale() const { return lastLocale_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID locale, WORD flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT* badArgument) override;

  private:
    struct Member {
        std::string name;
        Handler handler;
    };
    std::vector<Member> members_;
    std::vector<Call> calls_;
    ULONG references_ = 0;
    int lookups_ = 0;
    LCID lastLocale_ = 0;
};

// Handlers for the usual answers. Each accepts any arguments.
StandInObject::Handler AnswerText(const std::string& text); // text in code page 936
StandInObject::Handler AnswerInteger(int value);
StandInObject::Handler AnswerBool(bool value);
StandInObject::Handler AnswerObject(IDispatch* object);
StandInObject::Handler AnswerNothing();
// Raises `error` as the object's own failure; DISP_E_EXCEPTION comes with a description.
StandInObject::Handler Fail(HRESULT error);

} // namespace velkari::testing
