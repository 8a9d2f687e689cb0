#include "support/stand_in_download_manager.h"

#include <algorithm>

namespace velkari::testing {

namespace {

// {7E1A0936-5C2B-4D8E-9F31-0DA7E5A09361}, this project's own.
constexpr CLSID kStandInClassId = {
    0x7E1A0936, 0x5C2B, 0x4D8E, {0x9F, 0x31, 0x0D, 0xA7, 0xE5, 0xA0, 0x93, 0x61}};
constexpr wchar_t kProgIdKey[] = L"ThunderAgent.Agent\\CLSID";
constexpr wchar_t kProgIdRoot[] = L"ThunderAgent.Agent";
constexpr wchar_t kClassIdText[] = L"{7E1A0936-5C2B-4D8E-9F31-0DA7E5A09361}";

} // namespace

class StandInDownloadManager::Factory final : public IClassFactory {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID id, void** object) override {
        *object = nullptr;
        if (outer != nullptr) {
            return CLASS_E_NOAGGREGATION;
        }
        const std::lock_guard<std::mutex> lock(mutex_);
        objects_.push_back(std::make_unique<StandInObject>());
        StandInObject& agent = *objects_.back();
        agent.Define("AddTask", AnswerNothing());
        agent.Define("CommitTasks", AnswerInteger(0));
        return agent.QueryInterface(id, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

    std::vector<Record> Records() const {
        const std::lock_guard<std::mutex> lock(mutex_);
        std::vector<Record> records;
        for (size_t i = 0; i < objects_.size(); ++i) {
            for (const StandInObject::Call& call : objects_[i]->Calls()) {
                records.push_back(Record{static_cast<int>(i + 1), call.member, call.args, call.at});
            }
        }
        std::stable_sort(records.begin(), records.end(),
                         [](const Record& a, const Record& b) { return a.at < b.at; });
        return records;
    }

    int ObjectsMade() const {
        const std::lock_guard<std::mutex> lock(mutex_);
        return static_cast<int>(objects_.size());
    }

    bool AllReleased() const {
        const std::lock_guard<std::mutex> lock(mutex_);
        return std::all_of(objects_.begin(), objects_.end(),
                           [](const auto& object) { return object->References() == 0; });
    }

  private:
    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<StandInObject>> objects_;
};

StandInDownloadManager::StandInDownloadManager() : factory_(std::make_unique<Factory>()) {
    RegSetKeyValueW(HKEY_CLASSES_ROOT, kProgIdKey, nullptr, REG_SZ, kClassIdText,
                    sizeof kClassIdText);
    CoRegisterClassObject(kStandInClassId, factory_.get(), CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                          &cookie_);
}

StandInDownloadManager::~StandInDownloadManager() {
    CoRevokeClassObject(cookie_);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgIdRoot);
}

std::vector<StandInDownloadManager::Record> StandInDownloadManager::Records() const {
    return factory_->Records();
}

int StandInDownloadManager::ObjectsMade() const {
    return factory_->ObjectsMade();
}

bool StandInDownloadManager::AllReleased() const {
    return factory_->AllReleased();
}

} // namespace velkari::testing
