// The demo's stand-in for the download manager: an in-process automation server that answers
// to "ThunderAgent.Agent" in the prefix where the demo registered it. "AddTask"(address, file
// name) queues a download; "CommitTasks" downloads everything queued into the folder named at
// registration, each file under its given name, and answers with the number it saved.
#include "demo/demo_agent.h"

#include <windows.h>

#include <oaidl.h>
#include <wininet.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using velkari::demo::kAgentClassId;

constexpr DISPID kAddTaskId = 1;
constexpr DISPID kCommitTasksId = 2;

template <class Handle, BOOL(WINAPI* Close)(Handle)> class Owned {
  public:
    explicit Owned(Handle handle) : handle_(handle) {}
    ~Owned() {
        if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) {
            Close(handle_);
        }
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Handle Get() const { return handle_; }
    bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }

  private:
    Handle handle_;
};

using InternetHandle = Owned<HINTERNET, InternetCloseHandle>;
using FileHandle = Owned<HANDLE, CloseHandle>;

std::wstring DownloadFolder() {
    wchar_t folder[MAX_PATH] = {};
    DWORD size = sizeof folder;
    RegGetValueW(HKEY_CLASSES_ROOT, velkari::demo::kAgentClassKey, L"DownloadFolder", RRF_RT_REG_SZ,
                 nullptr, folder, &size);
    return folder;
}

// A plain file name only: nothing that would leave the folder.
bool IsPlainName(const std::wstring& name) {
    return !name.empty() && name.find_first_of(L"\\/:") == std::wstring::npos && name != L"." &&
           name != L"..";
}

bool Download(const std::wstring& address, const std::wstring& target) {
    InternetHandle internet(
        InternetOpenW(L"VelkariDemoAgent", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    InternetHandle url(InternetOpenUrlW(internet.Get(), address.c_str(), nullptr, 0,
                                        INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    if (!url.Valid()) {
        return false;
    }
    // Written under a passing name first, so that a finished name always means a whole file.
    const std::wstring partial = target + L".part";
    {
        FileHandle file(CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) {
            return false;
        }
        char buffer[64 * 1024];
        DWORD read = 0;
        while (InternetReadFile(url.Get(), buffer, sizeof buffer, &read) && read > 0) {
            DWORD written = 0;
            if (!WriteFile(file.Get(), buffer, read, &written, nullptr) || written != read) {
                return false;
            }
        }
    }
    return MoveFileExW(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

std::wstring TextArgument(const VARIANT& argument) {
    VARIANT text;
    VariantInit(&text);
    std::wstring value;
    if (SUCCEEDED(VariantChangeType(&text, const_cast<VARIANT*>(&argument), 0, VT_BSTR))) {
        value.assign(V_BSTR(&text), SysStringLen(V_BSTR(&text)));
    }
    VariantClear(&text);
    return value;
}

class Agent final : public IDispatch {
  public:
    // A new agent, handed out as `id`; it deletes itself when its last reference goes.
    static HRESULT Create(REFIID id, void** object) {
        Agent* agent = new Agent;
        const HRESULT hr = agent->QueryInterface(id, object);
        agent->Release();
        return hr;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDispatch)) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = InterlockedDecrement(&references_);
        if (left == 0) {
            delete this;
        }
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        if (count != 1) {
            return DISP_E_UNKNOWNNAME;
        }
        if (_wcsicmp(names[0], L"AddTask") == 0) {
            ids[0] = kAddTaskId;
        } else if (_wcsicmp(names[0], L"CommitTasks") == 0) {
            ids[0] = kCommitTasksId;
        } else {
            ids[0] = DISPID_UNKNOWN;
            return DISP_E_UNKNOWNNAME;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO*, UINT*) override {
        if (id == kAddTaskId) {
            if (parameters->cArgs != 2) {
                return DISP_E_BADPARAMCOUNT;
            }
            queue_.emplace_back(TextArgument(parameters->rgvarg[1]),
                                TextArgument(parameters->rgvarg[0]));
            return S_OK;
        }
        if (id == kCommitTasksId) {
            const int saved = CommitTasks();
            if (result != nullptr) {
                V_VT(result) = VT_I4;
                V_I4(result) = saved;
            }
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

  private:
    Agent() = default;

    int CommitTasks() {
        const std::wstring folder = DownloadFolder();
        int saved = 0;
        for (const auto& [address, name] : queue_) {
            if (!folder.empty() && IsPlainName(name) && Download(address, folder + L"\\" + name)) {
                ++saved;
            }
        }
        queue_.clear();
        return saved;
    }

    LONG references_ = 1;
    std::vector<std::pair<std::wstring, std::wstring>> queue_;
};

class Factory final : public IClassFactory {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // The one factory lives as long as the module.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID id, void** object) override {
        *object = nullptr;
        if (outer != nullptr) {
            return CLASS_E_NOAGGREGATION;
        }
        return Agent::Create(id, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory factory;

} // namespace

STDAPI DllGetClassObject(REFCLSID classId, REFIID id, void** object) {
    if (!IsEqualCLSID(classId, kAgentClassId)) {
        *object = nullptr;
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return factory.QueryInterface(id, object);
}

STDAPI DllCanUnloadNow() {
    return S_FALSE;
}
