#include "demo/demo_agent.h"

namespace velkari::demo {

namespace {

constexpr wchar_t kProgId[] = L"ThunderAgent.Agent";
constexpr wchar_t kDescription[] = L"Velkari demo download manager";

bool SetText(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), name, REG_SZ, value.c_str(), bytes) ==
           ERROR_SUCCESS;
}

std::wstring ClassIdText() {
    const std::wstring key = kAgentClassKey;
    return key.substr(key.find(L'{'));
}

} // namespace

bool RegisterDemoAgent(const std::wstring& dllPath, const std::wstring& folder) {
    const std::wstring classKey = kAgentClassKey;
    const std::wstring progId = kProgId;
    return SetText(progId, nullptr, kDescription) &&
           SetText(progId + L"\\CLSID", nullptr, ClassIdText()) &&
           SetText(classKey, nullptr, kDescription) &&
           SetText(classKey, L"DownloadFolder", folder) &&
           SetText(classKey + L"\\ProgID", nullptr, progId) &&
           SetText(classKey + L"\\InprocServer32", nullptr, dllPath) &&
           SetText(classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
}

void UnregisterDemoAgent() {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kAgentClassKey);
}

} // namespace velkari::demo
